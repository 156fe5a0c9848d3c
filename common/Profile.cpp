#include "common/Profile.h"

#include "common/Cp1252.h"
#include "common/WholeFile.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace ret {
namespace {

constexpr int kBufferChars = 254;

struct Line {
    qsizetype begin = 0; // offset of the line's first byte
    qsizetype end = 0;   // offset just past its text, before the line break
};

std::vector<Line> splitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        const qsizetype next = nl < 0 ? bytes.size() : nl + 1;
        qsizetype end = nl < 0 ? bytes.size() : nl;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.push_back({start, end});
        start = next;
    }
    return lines;
}

QString lineText(const QByteArray& bytes, const Line& l) {
    return cp1252::decode(bytes.mid(l.begin, l.end - l.begin));
}

// "[name]" gives the section name; anything else gives nullopt.
std::optional<QString> sectionName(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// "key=value" gives the key (trimmed); comment lines and lines without "=" give nullopt.
std::optional<QString> keyName(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Found {
    std::optional<size_t> section;  // the section's header line
    std::optional<size_t> key;      // the key's line
    std::optional<size_t> lastBody; // the last key line of the section
};

Found locate(const QByteArray& bytes, const std::vector<Line>& lines, const QString& section,
             const QString& key) {
    Found f;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QString text = lineText(bytes, lines[i]);
        if (const auto name = sectionName(text)) {
            if (inside)
                break; // the first matching section is the one that counts
            inside = sameName(*name, section);
            if (inside)
                f.section = i;
            continue;
        }
        if (!inside)
            continue;
        if (const auto k = keyName(text)) {
            f.lastBody = i;
            if (!f.key && sameName(*k, key))
                f.key = i;
        }
    }
    return f;
}

QString valueOf(const QString& text) {
    QString v = text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (v.size() >= 2) {
        const QChar q = v.front();
        if ((q == QLatin1Char('"') || q == QLatin1Char('\'')) && v.back() == q)
            v = v.mid(1, v.size() - 2);
    }
    return v.left(kBufferChars);
}

QByteArray lineBreakOf(const QByteArray& bytes) {
    const qsizetype nl = bytes.indexOf('\n');
    if (nl > 0 && bytes[nl - 1] == '\r')
        return "\r\n";
    if (nl >= 0)
        return "\n";
    return "\r\n"; // profile files are DOS text
}

} // namespace

QString Profile::defaultLocation() {
    const QString env = qEnvironmentVariable("HUB000_INI");
    if (!env.isEmpty())
        return env;
    return QDir::homePath() + QLatin1String("/.config/velkar/HUB000.INI");
}

QString Profile::read(const QString& section, const QString& key) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto lines = splitLines(bytes);
    const Found f = locate(bytes, lines, section, key);
    if (!f.key)
        return {};
    return valueOf(lineText(bytes, lines[*f.key]));
}

bool Profile::write(const QString& section, const QString& key, const QString& value,
                    FileWriteError* why) const {
    QByteArray bytes;
    {
        QFile file(path_);
        if (file.exists() && !file.open(QIODevice::ReadOnly)) {
            if (why)
                *why = {70, QStringLiteral("Permiso denegado"), path_};
            return false;
        }
        if (file.isOpen())
            bytes = file.readAll();
    }
    const QByteArray nl = lineBreakOf(bytes);
    const QByteArray keyLine = cp1252::encode(key + QLatin1Char('=') + value);
    const auto lines = splitLines(bytes);
    const Found f = locate(bytes, lines, section, key);

    QByteArray out;
    if (f.key) {
        const Line& l = lines[*f.key];
        out = bytes.left(l.begin) + keyLine + bytes.mid(l.end);
    } else if (f.section) {
        const Line& after = lines[f.lastBody.value_or(*f.section)];
        // the new line goes right after the section's last key; the line break that followed
        // that key now follows the new line
        const qsizetype at = after.end;
        out = bytes.left(at) + nl + keyLine + bytes.mid(at);
    } else {
        out = bytes;
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += nl;
        out += cp1252::encode(QLatin1Char('[') + section + QLatin1Char(']')) + nl + keyLine + nl;
    }

    const std::optional<FileWriteError> failed = writeWholeFile(path_, out);
    if (failed && why)
        *why = *failed;
    return !failed;
}

} // namespace ret
