#include "import/ImportErrorReport.h"

#include "common/PrintScript.h"

#include "tests/support/TempDir.h"

using namespace ret;
using namespace ret::import;

namespace {

class ImportErrorReportTest : public test::TempDirTest {
protected:
    // The texts of the report's flowing lines, and its page breaks as "pNuevaHoja".
    QStringList compose(int errors) {
        QByteArray file;
        for (int i = 1; i <= errors; ++i)
            file += QString("%1 E001 00000001").arg(i).leftJustified(25).toLatin1() +
                    " La base imponible no es v\xE1lida\r\n";
        writeFile("errores.Err", file);
        const ErrorReportHeader h{"20100070970", "DISTRIBUIDORA ANDINA", "201007",
                                  QDateTime(QDate(2010, 8, 5), QTime(9, 30, 0))};
        EXPECT_TRUE(ImprimirErroresImportacion(path("errores.Err"), path("r.PRN"), h));
        QStringList out;
        for (const QString& line : QString::fromLatin1(readFile("r.PRN")).split("\r\n")) {
            const PsLine l = readPrintScriptLine(line);
            if (const auto* i = std::get_if<PsItem>(&l))
                out << i->text;
            else if (std::holds_alternative<PsPageBreak>(l))
                out << "pNuevaHoja";
            else if (const auto* t = std::get_if<PsTag>(&l))
                out << "<" + t->name + ">" + t->value;
        }
        return out;
    }
};

} // namespace

TEST_F(ImportErrorReportTest, HeaderBodyAndTotals) {
    const QStringList lines = compose(68);
    ASSERT_GE(lines.size(), 20);
    EXPECT_EQ(lines[1], "<nHojas>1");
    EXPECT_TRUE(lines[7].startsWith(QString(15, ' ') + "KORVA"));
    EXPECT_EQ(lines[7].mid(100, 6), "RYP001");
    EXPECT_TRUE(lines[8].startsWith(QString(15, ' ') + "05/08/2010"));
    EXPECT_TRUE(lines[8].contains("REPORTE DE ERRORES DE TRANSFERENCIA - PERIODO 07/2010"));
    EXPECT_TRUE(lines[8].trimmed().endsWith("Pag:1"));
    EXPECT_EQ(lines[12], (QString(15, ' ') + "CONTRIBUYENTE:  20100070970  DISTRIBUIDORA ANDINA")
                             .leftJustified(110));
    EXPECT_EQ(lines[14], QString(20, ' ') + "RUC SUJETO SERIE NUMERO  DESCRIPCION DEL ERROR  ");
    EXPECT_TRUE(lines[16].startsWith(QString(20, ' ') + "1 E001 00000001"));
    EXPECT_EQ(lines.filter("Sub-Total").size(), 0);
    EXPECT_EQ(lines.last(), QString(15, ' ') + QString(89, '_'));
    EXPECT_EQ(lines[lines.size() - 2], QString(20, ' ') + "Total de Errores:      68");
}

TEST_F(ImportErrorReportTest, SubTotalsAndPages) {
    QStringList lines = compose(69);
    EXPECT_EQ(lines.filter("Sub-Total de Errores:  69").size(), 1);
    EXPECT_EQ(lines.filter("Total de Errores:      69").size(), 1);

    lines = compose(200);
    EXPECT_EQ(lines[1], "<nHojas>3");
    EXPECT_EQ(lines.filter("Sub-Total").size(), 2);
    const int breaks = int(lines.count("pNuevaHoja"));
    EXPECT_GE(breaks, 2);
    // every page after the first repeats the header, without its tags
    EXPECT_EQ(lines.filter("RYP001").size(), breaks + 1);
    EXPECT_EQ(lines.filter("<font>").size(), 1);
    EXPECT_EQ(lines.filter("Pag:3").size(), 1);
}
