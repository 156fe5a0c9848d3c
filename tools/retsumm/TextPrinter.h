#pragma once

#include <QString>

namespace ret {
class MessageSink;
}

namespace ret::summary {

// Renders a line file with style lines into a text file: style lines ("<!" anywhere) are not
// copied, "<!np!>" puts a line holding the character 15 before the next line, an empty line
// becomes a single blank. False (after its message) when the input file does not exist or the
// output could not be written whole (then it stays as it was).
bool renderText(const QString& input, const QString& output, MessageSink& messages);

} // namespace ret::summary
