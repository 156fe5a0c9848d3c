#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace ret::import {

// A line longer than this is not a line of the import file (14 short fields).
constexpr int kLongestLine = 1000;

// One line of the import file as it is read: its first bytes as text, and what the whole-file
// checks need of the whole line, however long it is.
struct FileLine {
    QString text;
    bool usable = true; // short enough, and text (no NUL, no byte the encoding leaves undefined)
    int separators = 0;
    bool terminated = true; // blank, or ends with "|" after trimming
};

// Reads the import file a line at a time, so that a file of any size is read with flat memory.
// Files of older systems are read as they were written there: a line ends at CR, LF or CR LF,
// one Ctrl-Z at the very end (the DOS end of file) is no part of the text, and a UTF-8
// byte-order mark at the start says the file is UTF-8 (else it is Windows-1252).
class LineReader {
public:
    // Reads `file` from its start; the device must be open and seekable.
    explicit LineReader(QIODevice& file);

    // The next line; false at the end of the file.
    bool next(FileLine& line);

private:
    bool fill();
    // Takes the bytes up to the next line end into the line being read; true at the line end.
    bool takeUntilLineEnd(QByteArray& head, int& separators, char& last);
    void skipLineEnd();

    QIODevice& file_;
    qint64 left_ = 0; // bytes of the file not read into the block yet
    QByteArray block_;
    qsizetype at_ = 0;
    bool utf8_ = false;
};

} // namespace ret::import
