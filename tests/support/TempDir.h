#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace ret::test {

// A scratch directory per test, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString path(const QString& name) const { return tmp.filePath(name); }
};

} // namespace ret::test
