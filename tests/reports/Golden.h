#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

namespace ret::test {

// Compares a composed report with its golden file in tests/reports/golden, line by line, so
// that a change names the first line that moved. RET_UPDATE_GOLDEN=1 writes the file instead;
// a written file is read through (and its rendering looked at) before it is committed.
inline void expectGolden(const QString& name, const QByteArray& composed) {
    const QString path = QStringLiteral(RET_GOLDEN_DIR "/") + name;
    if (qEnvironmentVariableIntValue("RET_UPDATE_GOLDEN") == 1) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << path.toStdString();
        out.write(composed);
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << "no golden file " << path.toStdString();
    const QList<QByteArray> want = in.readAll().split('\n');
    const QList<QByteArray> got = composed.split('\n');
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
        ASSERT_EQ(got[i].toStdString(), want[i].toStdString())
            << name.toStdString() << " line " << i + 1;
    EXPECT_EQ(got.size(), want.size()) << name.toStdString() << ": line count";
}

} // namespace ret::test
