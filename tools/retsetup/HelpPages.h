#pragma once

#include "common/WholeFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace ret::setup {

// The help's pages as the installer carries them (built in): their file names, sorted.
QStringList helpPageNames();
QByteArray helpPage(const QString& name);

// Writes every page into `folder` (made when missing) as one set: when one cannot be written
// none of them changes. The pages of an older version are replaced.
std::optional<FileWriteError> installHelpPages(const QString& folder);

} // namespace ret::setup
