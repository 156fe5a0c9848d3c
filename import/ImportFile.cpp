#include "import/ImportFile.h"

#include "common/Cp1252.h"

#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>

namespace ret::import {
namespace {

constexpr qint64 kBlock = 64 * 1024;
constexpr char kDosEndOfFile = '\x1A';
const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Strict UTF-8, and no NUL: the same refusals as for a Windows-1252 line.
bool decodeUtf8Strict(const QByteArray& bytes, QString& out) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        return false;
    out = std::move(text);
    return true;
}

} // namespace

LineReader::LineReader(QIODevice& file) : file_(file) {
    qint64 size = file_.size();
    char last = 0;
    if (size > 0 && file_.seek(size - 1) && file_.getChar(&last) && last == kDosEndOfFile)
        --size;
    file_.seek(0);
    left_ = size;
    if (fill() && block_.startsWith(kUtf8Mark)) {
        utf8_ = true;
        at_ = kUtf8Mark.size();
    }
}

bool LineReader::fill() {
    if (at_ < block_.size())
        return true;
    block_.clear();
    at_ = 0;
    if (left_ <= 0)
        return false;
    block_ = file_.read(std::min(left_, kBlock));
    if (block_.isEmpty()) {
        left_ = 0; // the device gives no more than it has
        return false;
    }
    left_ -= block_.size();
    return true;
}

bool LineReader::takeUntilLineEnd(QByteArray& head, int& separators, char& last) {
    const char* begin = block_.constData() + at_;
    const char* end = block_.constData() + block_.size();
    const char* stop = std::find_if(begin, end, isLineEnd);
    if (head.size() <= kLongestLine + 2)
        head.append(begin, std::min<qsizetype>(stop - begin, kLongestLine + 2 - head.size()));
    separators += int(std::count(begin, stop, '|'));
    for (const char* p = stop; p != begin;) {
        if (!isBlank(*--p)) {
            last = *p;
            break;
        }
    }
    at_ = stop - block_.constData();
    return stop != end;
}

void LineReader::skipLineEnd() {
    const char c = block_.at(at_++);
    // CR LF is one line end, wherever the block ends
    if (c == '\r' && fill() && block_.at(at_) == '\n')
        ++at_;
}

bool LineReader::next(FileLine& line) {
    if (!fill())
        return false;
    QByteArray head;
    int separators = 0;
    char last = 0;
    bool ended = false;
    while (!ended && fill())
        ended = takeUntilLineEnd(head, separators, last);
    if (ended)
        skipLineEnd();
    line.separators = separators;
    line.terminated = last == 0 || last == '|';
    const bool shortEnough = head.size() <= kLongestLine;
    if (utf8_) {
        line.usable = shortEnough && decodeUtf8Strict(head, line.text);
        if (!line.usable)
            line.text = QString::fromUtf8(head.left(kLongestLine));
    } else {
        line.usable = shortEnough && cp1252::decodeStrict(head, line.text);
        if (!line.usable)
            line.text = cp1252::decode(head.left(kLongestLine));
    }
    return true;
}

} // namespace ret::import
