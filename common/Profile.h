#pragma once

#include <QString>

namespace ret {

struct FileWriteError;

// The integrator's profile file HUB000.INI, read and written the way the old platform's
// profile functions did: section and key names matched without regard to case, the value
// after "=" with surrounding blanks removed (and one pair of enclosing quotes dropped), at
// most 254 characters returned; a value in quotes keeps the blanks inside them (a 255-character
// buffer with its terminator), and a missing file, section or key reading as an empty text.
class Profile {
public:
    explicit Profile(QString path) : path_(std::move(path)) {}

    // The file's location: $HUB000_INI when set, else ~/.config/velkar/HUB000.INI.
    static QString defaultLocation();

    const QString& path() const { return path_; }

    QString read(const QString& section, const QString& key) const;

    // Changes only the key's line (adding the key to its section, or the section at the end of
    // the file, when missing); every other byte of the file stays as it was. The file is
    // replaced whole, never left half-written: when it cannot be written it stays as it was,
    // the call returns false and `why`, when given, says why.
    bool write(const QString& section, const QString& key, const QString& value,
               FileWriteError* why = nullptr) const;

private:
    QString path_;
};

} // namespace ret
