// tagmill-cli as its users see it: arguments in, exact bytes and exit status out.

#include "engine/Oracle.h"
#include "engine/RandomCorpus.h"
#include "textio/TextEncoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "TempFiles.h"

#include <gtest/gtest.h>

using namespace tagmill;
using namespace tagmill::test;

namespace {

struct Result {
    int status;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList& arguments) {
    QProcess process;
    process.start(TAGMILL_CLI, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

class Cli : public test::TempFiles {
protected:
};

const QByteArray UsageLine =
    "usage: tagmill-cli [--option N] --tag TAG [--tag TAG ...] [--with-filename] "
    "[--format jsonl|csv] FILE...\n";

TEST_F(Cli, RefusesBadArgumentsAndMissingInputs) {
    const QString file = write("a.xml", "<a>1</a>");
    struct Case {
        QStringList arguments;
        QByteArray err;
    };
    const Case cases[] = {
        {{"--option", "6", "--tag", "a", file}, UsageLine},
        {{"--option", "0", "--tag", "a", file}, UsageLine},
        {{"--bogus", "--tag", "a", file}, UsageLine},
        {{"--format", "xml", "--tag", "a", file}, UsageLine},
        {{file, "--tag"}, UsageLine},
        {{}, "You forgot to input tag\n"},
        {{file}, "You forgot to input tag\n"},
        {{"--tag", "a"}, "No files added.\n"},
        {{"--option", "4", "--tag", "a"}, "No files added.\n"},
    };
    for (const Case& c : cases) {
        const Result r = runCli(c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(Cli, JsonLinesEscapeExactly) {
    const QString file = write("q.xml", "<v>\"\\\r\n\t\b\f\x01\x1f caf\xC3\xA9 \x7f/</v><v></v>");
    const Result r = runCli({"--option", "2", "--tag", "V", file});
    EXPECT_EQ(r.status, 0);
    const QByteArray entry = file.toUtf8();
    EXPECT_EQ(r.out,
              "{\"file\":\"" + entry +
                  "\",\"value\":\"\\\"\\\\\\r\\n\\t\\b\\f\\u0001\\u001f caf\xC3\xA9 \x7f/\"}\n"
                  "{\"file\":\"" +
                  entry + "\",\"value\":\"\"}\n");
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(Cli, CsvQuotesOnlyWhereNeeded) {
    const QString file =
        write("c,1.xml", "<v>plain</v><v>a,b</v><v>say \"hi\"</v><v>l1\r\nl2</v><v></v>");
    const QByteArray quotedEntry = "\"" + file.toUtf8() + "\"";
    const Result plain = runCli({"--format", "csv", "--option", "2", "--tag", "v", file});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out,
              "Results\r\nplain\r\n\"a,b\"\r\n\"say \"\"hi\"\"\"\r\n\"l1\r\nl2\"\r\n\r\n");
    const Result named = runCli({"--format=csv", "--with-filename", "--option=2", "--tag=v", file});
    EXPECT_EQ(named.out.left(named.out.indexOf("\r\n", 18) + 2),
              "Filename,Results\r\n" + quotedEntry + ",plain\r\n");
}

TEST_F(Cli, FailuresAreReportedPerFileAndTheRunGoesOn) {
    const QString good = write("good.xml", "<x>1</x>");
    const QString bad = write("bad.xml", "<x</x><x>2</x>");
    const QString missing = pathOf("missing.xml");
    const Result r =
        runCli({"--option", "2", "--tag", "x", "--format", "csv", missing, good, bad, good});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Results\r\n1\r\n2\r\n1\r\n");
    const QList<QByteArray> lines = r.err.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "tagmill-cli: " + missing.toUtf8() + ": No such file or directory");
    EXPECT_TRUE(lines[1].startsWith("tagmill-cli: " + bad.toUtf8() + ": "));
}

TEST_F(Cli, OptionFiveAndEmptyFilesGiveNoRows) {
    const QString file = write("a.xml", "<a>1</a>");
    const QString empty = write("e.xml", "");
    Result r = runCli({"--option", "5", "--tag", "a", "--format", "csv", "--with-filename", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Filename,Results\r\n");
    r = runCli({"--tag", "a", empty});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(Cli, EmptyTagAndDoubleDash) {
    const QString file = write("-dash.xml", "<a>1</a><b>x</>");
    const Result r = runCli({"--tag", "", "--format", "csv", "--", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Results\r\n<a>1</a><b>x</>\r\n");
}

TEST_F(Cli, AgreesWithTheRulesOnARandomCorpus) {
    QRandomGenerator random(99);
    QStringList files;
    QStringList texts;
    for (int i = 0; i < 30; ++i) {
        const QString text = randomMarkup(random, i % 10 == 0 ? 30000 : int(random.bounded(200)));
        const FileForm form = AllFileForms[i % std::size(AllFileForms)];
        const auto bytes = encodeAs(text, form);
        if (!bytes)
            continue;
        const TextEncoding encoding = encodingFromMark(*bytes, bytes->size());
        texts.append(decodeText(QByteArrayView(*bytes).sliced(markLength(encoding)), encoding));
        files.append(write(QString("r%1.xml").arg(i), *bytes));
    }
    const QStringList tags{"td", "préis", "a", ""};
    for (int option = 1; option <= 4; ++option) {
        QStringList expected;
        int failures = 0;
        for (qsizetype f = 0; f < files.size(); ++f) {
            if (texts[f].isEmpty())
                continue;
            const OracleResult r = oracleExtract(ExtractionOption(option), texts[f], tags);
            for (const QString& v : r.values)
                expected.append(files[f] + "\t" + v);
            failures += r.failures;
        }
        QStringList arguments{"--option", QString::number(option)};
        for (const QString& tag : tags)
            arguments << "--tag" << tag;
        const Result r = runCli(arguments + files);
        QStringList actual;
        for (const QByteArray& line : r.out.split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject row = QJsonDocument::fromJson(line).object();
            ASSERT_EQ(row.keys(), (QStringList{"file", "value"})) << line.constData();
            actual.append(row["file"].toString() + "\t" + row["value"].toString());
        }
        SCOPED_TRACE(option);
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(r.err.count('\n'), failures);
        EXPECT_EQ(r.status, failures > 0 ? 1 : 0);
    }
}

} // namespace
