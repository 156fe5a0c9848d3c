#include "common/WholeFile.h"

#include "tests/support/FullDisk.h"
#include "tests/support/TempDir.h"

using namespace ret;

namespace {

class WholeFileTest : public test::TempDirTest {};

const QByteArray kOld = "lo que el archivo tenía\r\n";
const QByteArray kNew = QByteArray(6000, 'n'); // more than a page of the disk

TEST_F(WholeFileTest, ReplacesTheFileWhole) {
    const QString p = writeFile("a.txt", kOld);
    EXPECT_FALSE(writeWholeFile(p, kNew));
    EXPECT_EQ(readFile("a.txt"), kNew);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"a.txt"}); // no scratch left
}

// Each failure leaves what was there and names the file with the old run-time's number.
TEST_F(WholeFileTest, AFailedWriteLeavesTheOldFileAndSaysWhy) {
    QDir().mkpath(path("dir.txt"));
    const struct {
        const char* name;
        int number;
        const char* description;
    } cases[] = {
        {"missing/a.txt", 76, "No se ha encontrado la ruta de acceso"},
        {"dir.txt", 75, "Error de acceso a la ruta o el archivo"},
    };
    for (const auto& c : cases) {
        const auto e = writeWholeFile(path(c.name), kNew);
        ASSERT_TRUE(e) << c.name;
        EXPECT_EQ(e->number, c.number) << c.name;
        EXPECT_EQ(e->message(), "No se pudo grabar el archivo " + path(c.name) + ": " +
                                    QString::fromUtf8(c.description) + ".");
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing")));

    // the bytes do not all reach the disk: the flush fails when the file is closed
    const QString p = writeFile("b.txt", kOld);
    {
        test::FileSizeLimit limit(100);
        const auto e = writeWholeFile(p, kNew);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number, 57);
        EXPECT_EQ(e->description, QString::fromUtf8("Error de E/S en el dispositivo"));
    }
    EXPECT_EQ(readFile("b.txt"), kOld);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList{"b.txt"});
}

// Every file of the directory, scratch files included.
QStringList filesIn(const QString& directory) {
    return QDir(directory).entryList(QDir::Files | QDir::Hidden);
}

TEST_F(WholeFileTest, AFileWrittenInPiecesTakesItsPlaceOnlyWhenCommitted) {
    const QString p = writeFile("a.txt", kOld);
    const auto writeInPieces = [](ScratchFile& file) {
        for (int i = 0; i < 3; ++i)
            file.device().write(kNew);
    };
    {
        ScratchFile file(tmp.path());
        writeInPieces(file);
        EXPECT_EQ(readFile("a.txt"), kOld);
    } // dropped: never committed
    EXPECT_EQ(readFile("a.txt"), kOld);
    EXPECT_EQ(filesIn(tmp.path()), QStringList{"a.txt"});
    {
        ScratchFile file(tmp.path());
        writeInPieces(file);
        EXPECT_FALSE(file.commitAs(p));
    }
    EXPECT_EQ(readFile("a.txt"), kNew + kNew + kNew);
    EXPECT_EQ(filesIn(tmp.path()), QStringList{"a.txt"});

    // a missing directory and a write that fails on the way are told as writing the file
    ScratchFile nowhere(path("missing"));
    const auto missing = nowhere.commitAs(path("missing/a.txt"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number, 76);
    EXPECT_EQ(missing->path, path("missing/a.txt"));
    {
        test::FileSizeLimit limit(100);
        ScratchFile file(tmp.path());
        writeInPieces(file);
        const auto e = file.commitAs(p);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number, 57);
    }
    EXPECT_EQ(readFile("a.txt"), kNew + kNew + kNew);
    EXPECT_EQ(filesIn(tmp.path()), QStringList{"a.txt"});
}

TEST_F(WholeFileTest, AppendingKeepsWholeLinesOnly) {
    const QString p = writeFile("Trace.txt", kOld);
    EXPECT_FALSE(appendToFile(p, "segunda\r\n"));
    EXPECT_EQ(readFile("Trace.txt"), kOld + "segunda\r\n");
    {
        test::FileSizeLimit limit(kOld.size() + 20);
        const auto e = appendToFile(p, kNew);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->path, p);
    }
    EXPECT_EQ(readFile("Trace.txt"), kOld + "segunda\r\n");
    const auto missing = appendToFile(path("no/Trace.txt"), "x\r\n");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number, 76);
}

TEST_F(WholeFileTest, AFullDiskIsToldAsSuch) {
    test::SmallDisk disk(path("disco"));
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QString p = path("disco/a.txt");
    EXPECT_FALSE(writeWholeFile(p, kOld));
    const QString log = path("disco/log.txt");
    EXPECT_FALSE(appendToFile(log, "primera\r\n"));
    ASSERT_TRUE(disk.fill());
    const auto inPieces = [&] {
        ScratchFile file(path("disco"));
        file.device().write(kNew);
        return file.commitAs(p);
    };
    for (const auto& e : {writeWholeFile(p, kNew), appendToFile(log, kNew), inPieces()}) {
        ASSERT_TRUE(e);
        EXPECT_EQ(e->number, 61);
        EXPECT_EQ(e->description, "Disco lleno");
    }
    QFile a(p), l(log);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && l.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), kOld);
    EXPECT_EQ(l.readAll(), QByteArray("primera\r\n"));
}

} // namespace
