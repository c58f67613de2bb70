#include "output/spreadsheet/Workbook.h"

#include "TempFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tagmill {
namespace {

struct Row {
    std::string path;
    std::string value;
    bool ticked;
};

ResultsSnapshot tableOf(bool withFilename, const std::vector<Row>& rows) {
    RowStore store;
    for (const Row& row : rows) {
        if (row.path != store.currentPath())
            store.startFile(row.path);
        store.append(row.value, row.ticked);
    }
    return ResultsSnapshot(withFilename, std::move(store));
}

// The worksheet's XML, read out of the workbook's zip.
QByteArray sheetXml(const QString& workbook) {
    QProcess unzip;
    unzip.start("unzip", {"-p", workbook, "xl/worksheets/sheet1.xml"});
    EXPECT_TRUE(unzip.waitForFinished(60000)) << unzip.errorString().toStdString();
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardError().toStdString();
    return unzip.readAllStandardOutput();
}

QByteArray between(const QByteArray& xml, const QByteArray& open, const QByteArray& close) {
    const qsizetype from = xml.indexOf(open);
    const qsizetype to = xml.indexOf(close, from);
    if (from < 0 || to < 0)
        return "(missing " + open + ")";
    return xml.mid(from, to + close.size() - from);
}

QByteArray sheetData(const QString& workbook) {
    return between(sheetXml(workbook), "<sheetData>", "</sheetData>");
}

QByteArray cell(const QByteArray& ref, const QByteArray& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

QByteArray columnWidths(std::initializer_list<QByteArray> widths) {
    QByteArray cols = "<cols>";
    int column = 0;
    for (const QByteArray& width : widths) {
        const QByteArray n = QByteArray::number(++column);
        cols +=
            "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + width + "\" customWidth=\"1\"/>";
    }
    return cols + "</cols>";
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class WorkbookTest : public test::TempFiles {
protected:
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_F(WorkbookTest, WorkedExample) {
    const ResultsSnapshot table =
        tableOf(true, {{"a.xml", "12", true}, {"b.xml", "x=1", false}, {"c.xml", "a=b=c", true}});
    const QString path = pathOf("out.xlsx");

    const WorkbookOutcome outcome = writeWorkbook(table, path);

    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.notFitted, "");
    const QByteArray xml = sheetXml(path);
    EXPECT_EQ(between(xml, "<sheetData>", "</sheetData>"),
              "<sheetData><row r=\"1\">" + cell("A1", "Filename") + cell("B1", "Results") +
                  "</row><row r=\"2\">" + cell("A2", "a.xml") + cell("B2", "12") +
                  "</row><row r=\"4\">" + cell("A4", "c.xml") + cell("B4", "abc") +
                  "</row></sheetData>");
    // "Filename" and "Results" are the longest texts; libxlsxwriter adds the cell padding.
    EXPECT_EQ(between(xml, "<cols>", "</cols>"), columnWidths({"9.7109375", "8.7109375"}));
    EXPECT_EQ(entries(), QStringList{"out.xlsx"});
}

TEST_F(WorkbookTest, PutsTickedRowsOnTheRowBelowTheirNumber) {
    struct Case {
        const char* name;
        bool withFilename;
        std::vector<Row> rows;
        QByteArray rowsAfterHeader;
    };
    const QByteArray twoHeaders =
        "<row r=\"1\">" + cell("A1", "Filename") + cell("B1", "Results") + "</row>";
    const QByteArray oneHeader = "<row r=\"1\">" + cell("A1", "Results") + "</row>";
    const Case cases[] = {
        {"empty table", true, {}, ""},
        {"empty table, one column", false, {}, ""},
        {"all unticked", true, {{"a", "1", false}, {"b", "2", false}}, ""},
        {"first row unticked",
         true,
         {{"a", "1", false}, {"a", "2", true}},
         "<row r=\"3\">" + cell("A3", "a") + cell("B3", "2") + "</row>"},
        {"one column keeps =",
         false,
         {{"a", "=A1", true}, {"a", "x=1", false}, {"a", "==", true}},
         "<row r=\"2\">" + cell("A2", "=A1") + "</row><row r=\"4\">" + cell("A4", "==") + "</row>"},
        {"file name keeps =, value loses it",
         true,
         {{"d=1.xml", "=SUM(A1:A2)", true}},
         "<row r=\"2\">" + cell("A2", "d=1.xml") + cell("B2", "SUM(A1:A2)") + "</row>"},
        // libxlsxwriter leaves an empty text's cell out; it reads back empty just the same.
        {"empty values",
         true,
         {{"a", "", true}, {"b", "===", true}},
         "<row r=\"2\">" + cell("A2", "a") + "</row><row r=\"3\">" + cell("A3", "b") + "</row>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = pathOf("layout.xlsx");
        const WorkbookOutcome outcome = writeWorkbook(tableOf(c.withFilename, c.rows), path);
        EXPECT_EQ(outcome.failure, "");
        EXPECT_EQ(outcome.notFitted, "");
        EXPECT_EQ(sheetData(path), "<sheetData>" + (c.withFilename ? twoHeaders : oneHeader) +
                                       c.rowsAfterHeader + "</sheetData>");
    }
}

TEST_F(WorkbookTest, WritesEveryValueAsTextThatReadsBackUnchanged) {
    struct Case {
        std::string value;
        QByteArray xml; // the cell's <t> element
    };
    const Case cases[] = {
        {"12", "<t>12</t>"},
        {"0012", "<t>0012</t>"},
        {"1e5", "<t>1e5</t>"},
        {"TRUE", "<t>TRUE</t>"},
        {"2024-01-01", "<t>2024-01-01</t>"},
        {"=A1", "<t>A1</t>"},
        {"=1+1", "<t>1+1</t>"},
        {" lead/trail spaces ", "<t xml:space=\"preserve\"> lead/trail spaces </t>"},
        {"a\tb\nc", "<t>a\tb\nc</t>"},
        // XML would turn a bare CR into LF, so it goes as the spreadsheet's escape.
        {"a\r\nb", "<t>a_x000D_\nb</t>"},
        {"\x01x\x1F", "<t>_x0001_x_x001F_</t>"},
        {std::string("a\0b", 3), "<t>a_x0000_b</t>"},
        {"\xEF\xBF\xBF", "<t>_xFFFF_</t>"},
        {"_x0041_", "<t>_x005F_x0041_</t>"},
        {"<&>\"'", "<t>&lt;&amp;&gt;\"'</t>"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xF0\x9F\x98\x80",
         "<t>Gr\xC3\xBC\xC3\x9F"
         "e \xF0\x9F\x98\x80</t>"},
    };
    std::vector<Row> rows;
    for (const Case& c : cases)
        rows.push_back({"f", c.value, true});
    const QString path = pathOf("text.xlsx");

    ASSERT_EQ(writeWorkbook(tableOf(true, rows), path).failure, "");

    const QByteArray data = sheetData(path);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QByteArray ref = "B" + QByteArray::number(qsizetype(i) + 2);
        const QByteArray start = "<c r=\"" + ref + "\" t=\"inlineStr\"><is>";
        SCOPED_TRACE(ref.toStdString());
        EXPECT_EQ(between(data, start, "</c>"), start + cases[i].xml + "</is></c>");
    }
}

TEST_F(WorkbookTest, CutsLongTextsAndNamesThem) {
    const std::string longest(32767, 'v');
    const std::string tooLong(32768, 'v');
    std::vector<Row> rows = {{"a", longest, true}, {std::string(40000, 'p'), tooLong, true}};
    for (int i = 0; i < 10; ++i)
        rows.push_back({"a", tooLong, i != 4});
    const QString path = pathOf("long.xlsx");

    const WorkbookOutcome outcome = writeWorkbook(tableOf(true, rows), path);

    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(outcome.notFitted,
              "11 texts were longer than the 32,767 characters a cell holds and were cut to fit: "
              "A3, B3, B4, B5, B6, B7, B9, B10, B11, B12 and 1 more.");
    const QByteArray xml = sheetXml(path);
    const QByteArray cut = cell("B13", QByteArray(32767, 'v'));
    EXPECT_TRUE(xml.contains(cut + "</row></sheetData>"));
    EXPECT_TRUE(xml.contains(cell("A3", QByteArray(32767, 'p'))));
    EXPECT_EQ(between(xml, "<cols>", "</cols>"), columnWidths({"255.7109375", "255.7109375"}));
}

TEST_F(WorkbookTest, LeavesOutTickedRowsBeyondTheSheet) {
    struct Case {
        const char* name;
        qsizetype rows;
        std::vector<qsizetype> ticked; // 1-based table rows
        QByteArray lastRows;
        QString notFitted;
    };
    const Case cases[] = {
        {"the last row that fits",
         1048575,
         {1048575},
         "<row r=\"1048576\">" + cell("A1048576", "v") + "</row>",
         ""},
        {"one row too many",
         1048576,
         {1, 1048576},
         "<row r=\"2\">" + cell("A2", QByteArray(32767, 'v')) + "</row>",
         "1 text was longer than the 32,767 characters a cell holds and was cut to fit: A2.\r\n"
         "1 ticked row after table row 1,048,575 does not fit on the sheet and was left out."},
        {"two rows too many",
         1048577,
         {1048574, 1048575, 1048576, 1048577},
         "<row r=\"1048575\">" + cell("A1048575", "v") + "</row><row r=\"1048576\">" +
             cell("A1048576", "v") + "</row>",
         "2 ticked rows after table row 1,048,575 do not fit on the sheet and were left out."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RowStore store;
        store.startFile("f");
        for (qsizetype row = 1; row <= c.rows; ++row)
            store.append(row == 1 ? std::string(32768, 'v') : "v");
        for (qsizetype row : c.ticked)
            store.setTicked(row - 1, true);
        const QString path = pathOf("big.xlsx");

        const WorkbookOutcome outcome = writeWorkbook(ResultsSnapshot(false, store), path);

        EXPECT_EQ(outcome.failure, "");
        EXPECT_EQ(outcome.notFitted, c.notFitted);
        EXPECT_TRUE(sheetXml(path).contains(c.lastRows + "</sheetData>"));
    }
}

TEST_F(WorkbookTest, ReplacesAnEarlierFileKeepingItsPermissions) {
    const QString path = write("out.xlsx", "earlier");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const mode_t umaskBefore = ::umask(022);

    const WorkbookOutcome outcome = writeWorkbook(tableOf(true, {{"a", "1", true}}), path);

    ::umask(umaskBefore);
    EXPECT_EQ(outcome.failure, "");
    EXPECT_TRUE(readAll(path).startsWith("PK\x03\x04"));
    EXPECT_EQ(QFileInfo(path).permissions(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadUser | QFile::WriteUser |
                                                 QFile::ReadGroup);
    EXPECT_EQ(entries(), QStringList{"out.xlsx"});
}

TEST_F(WorkbookTest, ReportsAFolderThatIsMissing) {
    const QString path = pathOf("missing/out.xlsx");

    const WorkbookOutcome outcome = writeWorkbook(tableOf(true, {{"a", "1", true}}), path);

    EXPECT_EQ(outcome.failure, path + ": No such file or directory");
    EXPECT_EQ(outcome.notFitted, "");
    EXPECT_EQ(entries(), QStringList{});
}

TEST_F(WorkbookTest, ReportsAFolderInTheWay) {
    const QString path = pathOf("out.xlsx");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out.xlsx"));
    write("out.xlsx/inside", "kept");

    const WorkbookOutcome outcome = writeWorkbook(tableOf(true, {{"a", "1", true}}), path);

    EXPECT_EQ(outcome.failure, path + ": Is a directory");
    EXPECT_EQ(outcome.notFitted, "");
    EXPECT_EQ(entries(), QStringList{"out.xlsx"});
    EXPECT_EQ(readAll(pathOf("out.xlsx/inside")), "kept");
}

// Files may grow no larger than a few bytes while it lives, so every write fills the "disk".
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // a failed write instead of the signal
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

TEST_F(WorkbookTest, KeepsTheEarlierFileWholeWhenTheDiskIsFull) {
    const QByteArray earlier = "an earlier workbook, to be kept whole";
    const QString path = write("out.xlsx", earlier);

    WorkbookOutcome outcome;
    {
        FileSizeLimit limit(1000);
        outcome = writeWorkbook(tableOf(true, {{"a", std::string(5000, 'x'), true}}), path);
    }

    EXPECT_EQ(outcome.failure,
              path + ": Zip generic error ZIP_ERRNO while creating the xlsx file. System error: "
                     "File too large.");
    EXPECT_EQ(outcome.notFitted, "");
    EXPECT_EQ(readAll(path), earlier);
    EXPECT_EQ(entries(), QStringList{"out.xlsx"});
}

TEST_F(WorkbookTest, LeavesNothingBehindWhenStopped) {
    struct Case {
        const char* name;
        std::vector<Row> rows;
        bool earlierFile;
    };
    const Case cases[] = {
        {"rows, no earlier file", {{"a", "1", true}, {"b", "2", true}}, false},
        {"rows, earlier file", {{"a", "1", true}}, true},
        {"empty table, earlier file", {}, true},
    };
    std::stop_source stop;
    stop.request_stop();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = pathOf("out.xlsx");
        QFile::remove(path);
        if (c.earlierFile)
            write("out.xlsx", "earlier");

        const WorkbookOutcome outcome =
            writeWorkbook(tableOf(true, c.rows), path, stop.get_token());

        EXPECT_EQ(outcome.failure, "");
        EXPECT_EQ(outcome.notFitted, "");
        EXPECT_EQ(entries(), c.earlierFile ? QStringList{"out.xlsx"} : QStringList{});
        if (c.earlierFile) {
            EXPECT_EQ(readAll(path), "earlier");
        }
    }
}

// One field of a CSV file: its text, and whether it came in quotes (Calc quotes text cells).
struct Field {
    QString text;
    bool quoted = false;
    bool operator==(const Field&) const = default;
};

void PrintTo(const Field& field, std::ostream* out) {
    *out << (field.quoted ? "text " : "bare ");
    ::PrintTo(field.text, out);
}

Field text(const QString& text) {
    return {text, true};
}
const Field kEmpty{};

// Reads CSV with fields quoted by '"', doubled inside, and rows ended by LF.
QList<QList<Field>> parseCsv(const QString& csv) {
    QList<QList<Field>> rows(1, QList<Field>(1));
    bool inQuotes = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        Field& field = rows.last().last();
        if (inQuotes && c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
            field.text += csv[++i];
        else if (c == '"') {
            inQuotes = !inQuotes;
            field.quoted = true;
        } else if (!inQuotes && c == ',')
            rows.last().append(Field{});
        else if (!inQuotes && c == '\n')
            rows.append(QList<Field>(1));
        else
            field.text += c;
    }
    if (rows.last() == QList<Field>(1))
        rows.removeLast(); // the last row's line end
    return rows;
}

// Opens the workbook in LibreOffice Calc, which must be installed, and gives the sheet as CSV.
QString calcCsv(const QString& workbook) {
    QTemporaryDir profile;
    QTemporaryDir outDir;
    // Comma, '"', UTF-8, from line 1, no column formats, default language, every text cell
    // quoted, (an import option), cells as shown, values rather than formulas, spaces kept.
    const QString filter = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,false,true,false,"
                           "false";
    QProcess soffice;
    soffice.start("soffice",
                  {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(),
                   "--headless", "--convert-to", filter, "--outdir", outDir.path(), workbook});
    if (!soffice.waitForStarted(30000)) {
        ADD_FAILURE() << "LibreOffice (soffice) could not be started: "
                      << soffice.errorString().toStdString();
        return {};
    }
    EXPECT_TRUE(soffice.waitForFinished(120000)) << "soffice did not finish";
    EXPECT_EQ(soffice.exitCode(), 0) << soffice.readAllStandardError().toStdString();
    const QString csv =
        QDir(outDir.path()).filePath(QFileInfo(workbook).completeBaseName() + ".csv");
    EXPECT_TRUE(QFileInfo::exists(csv)) << soffice.readAllStandardOutput().toStdString()
                                        << soffice.readAllStandardError().toStdString();
    return QString::fromUtf8(readAll(csv));
}

TEST_F(WorkbookTest, CalcReadsBackEveryTextAsText) {
    const ResultsSnapshot table = tableOf(true, {
                                                    {"a.xml", "12", true},
                                                    {"b.xml", "x=1", false},
                                                    {"c.xml", "a=b=c", true},
                                                    {"d.xml", "=A1", true},
                                                    {"d.xml", "0012", true},
                                                    {"d.xml", "1e5", true},
                                                    {"d.xml", "TRUE", true},
                                                    {"d.xml", "2024-01-01", true},
                                                    {"d.xml", "  spaces around  ", true},
                                                    {"d.xml", "a,\"b\"", true},
                                                    {"e=f.xml",
                                                     "Gr\xC3\xBC\xC3\x9F"
                                                     "e \xF0\x9F\x98\x80",
                                                     true},
                                                    {"e=f.xml", "", true},
                                                    {"e=f.xml", "_x0041_ _x005F_ _x0009_", true},
                                                    {"e=f.xml", "one\ntwo", true},
                                                });
    const QString path = pathOf("calc.xlsx");
    ASSERT_EQ(writeWorkbook(table, path).failure, "");

    const QList<QList<Field>> expected = {
        {text("Filename"), text("Results")},
        {text("a.xml"), text("12")},
        {kEmpty, kEmpty},
        {text("c.xml"), text("abc")},
        {text("d.xml"), text("A1")},
        {text("d.xml"), text("0012")},
        {text("d.xml"), text("1e5")},
        {text("d.xml"), text("TRUE")},
        {text("d.xml"), text("2024-01-01")},
        {text("d.xml"), text("  spaces around  ")},
        {text("d.xml"), text("a,\"b\"")},
        {text("e=f.xml"), text(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                                 "e \xF0\x9F\x98\x80"))},
        {text("e=f.xml"), kEmpty},
        {text("e=f.xml"), text("_x0041_ _x005F_ _x0009_")},
        {text("e=f.xml"), text("one\ntwo")},
    };
    EXPECT_EQ(parseCsv(calcCsv(path)), expected);
}

} // namespace
} // namespace tagmill
