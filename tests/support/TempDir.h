#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace ret::test {

// A scratch directory per test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString path(const QString& name) const { return tmp.filePath(name); }

    // Writes (replaces) a file of the scratch directory; returns its full path.
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << p.toStdString();
        f.write(bytes);
        return p;
    }
    QByteArray readFile(const QString& name) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        return f.readAll();
    }
};

} // namespace ret::test
