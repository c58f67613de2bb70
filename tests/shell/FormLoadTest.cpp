#include "FormFixture.h"

#include "platform/qt/IniSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QSettings>
#include <QTableView>
#include <QTimer>

#include <functional>

using namespace tagmill;
using platform::Message;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString Support = "\r\rPlease email screenshot of this message to support@veldcraft.example";

class FormLoadTest : public FormFixture {
protected:
    QString checkedOption() {
        for (const QString name : {"Option1", "Option2", "Option3", "Option4", "Option5"}) {
            if (control<QRadioButton>(name).isChecked())
                return name;
        }
        return "none";
    }

    QStringList resultsHeaders() {
        QStringList headers;
        const ResultsTable& table = m_form->results();
        for (int column = 0; column < table.columnCount(); ++column)
            headers << table.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        return headers;
    }
};

TEST_F(FormLoadTest, SavedOptionByItsLeadingNumber) {
    const struct {
        std::optional<QString> saved;
        const char* selected;
    } cases[] = {
        {std::nullopt, "Option1"}, {"1", "Option1"},    {"2", "Option2"},   {"3", "Option3"},
        {"3abc", "Option3"},       {" 4", "Option4"},   {"5", "Option5"},   {"7", "Option1"},
        {"0", "Option1"},          {"word", "Option1"}, {"2.5", "Option1"}, {"", "Option1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved.value_or("absent").toStdString());
        m_desktop.settings.values.clear();
        if (c.saved)
            m_desktop.settings.values["Option"] = *c.saved;
        open();
        EXPECT_EQ(checkedOption(), c.selected);
        EXPECT_FALSE(control<QRadioButton>("Option5").isVisible());
    }
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormLoadTest, SavedCheckBoxDecidesTheResultsColumns) {
    const struct {
        std::optional<QString> saved;
        bool ticked;
    } cases[] = {
        {std::nullopt, false}, {"0", false}, {"1", true}, {"0.5", false}, {" 1 ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved.value_or("absent").toStdString());
        m_desktop.settings.values.clear();
        if (c.saved)
            m_desktop.settings.values["Check1"] = *c.saved;
        open();
        EXPECT_EQ(control<QCheckBox>("Check1").isChecked(), c.ticked);
        auto& results = control<QTableView>("ListView2");
        if (c.ticked) {
            EXPECT_EQ(resultsHeaders(), QStringList({"Filename", "Results"}));
            EXPECT_EQ(results.columnWidth(0), 233);
            EXPECT_EQ(results.columnWidth(1), 233);
        } else {
            EXPECT_EQ(resultsHeaders(), QStringList({"Results"}));
            EXPECT_EQ(results.columnWidth(0), 467);
        }
    }
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormLoadTest, DamagedCheckBoxSettingGivesOneErrorAndTheWindowStillOpens) {
    const struct {
        QString saved;
        QString description;
    } cases[] = {
        {"a", "Type mismatch: \"a\" is not a number"},
        {"", "Type mismatch: \"\" is not a number"},
        {"2", "Invalid property value: 2"},
        {"1.5", "Invalid property value: 2"},
        {"nan", "Type mismatch: \"nan\" is not a number"},
        {"inf", "Type mismatch: \"inf\" is not a number"},
        {"-inf", "Type mismatch: \"-inf\" is not a number"},
        {"infinity", "Type mismatch: \"infinity\" is not a number"},
        {"1e999", "Type mismatch: \"1e999\" is not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved.toStdString());
        m_desktop.messages.shown.clear();
        m_desktop.settings.values = {{"Check1", c.saved}, {"Tags", "td"}};
        Form1& form = open();
        ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
        const platform::Message& box = m_desktop.messages.shown[0];
        EXPECT_EQ(box.title, "Application Error");
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.text,
                  c.description + "\r\nin Gleaner2021/08/31.Form1.Form_Load at line 116" + Support);
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(control<QCheckBox>("Check1").isChecked());
        EXPECT_EQ(resultsHeaders(), QStringList({"Results"}));
        EXPECT_EQ(form.tagList().entries(), QStringList({"td"})) << "the steps before still ran";
    }
}

TEST_F(FormLoadTest, SavedTagsSplitAtTheSeparator) {
    const QString sep = "||MySeparator12||";
    const struct {
        std::optional<QString> saved;
        QStringList tags;
    } cases[] = {
        {std::nullopt, {}},
        {"", {}},
        {"td", {"td"}},
        {"a" + sep + sep + "b", {"a", "", "b"}},
        {"price" + sep + "name" + sep + " sku ", {"price", "name", " sku "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved.value_or("absent").toStdString());
        m_desktop.settings.values.clear();
        if (c.saved)
            m_desktop.settings.values["Tags"] = *c.saved;
        EXPECT_EQ(open().tagList().entries(), c.tags);
    }
}

TEST_F(FormLoadTest, SkinOnlyFromAnOrdinaryFile) {
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    const QString sheet = "QPushButton { color: #123456; }";
    {
        SCOPED_TRACE("no skin");
        Form1& form = open();
        EXPECT_EQ(form.styleSheet(), "");
        for (const QString name : {"Frame1", "Frame2", "Option1", "Check1"})
            EXPECT_EQ(control(name).palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_EQ(control("PushButton7").palette().color(QPalette::Button), QColor(Qt::white));
    }
    {
        SCOPED_TRACE("a folder of that name");
        QDir().mkpath(m_programFolder.filePath("x/o.cjs"));
        EXPECT_EQ(open().styleSheet(), "");
        QDir(m_programFolder.filePath("x")).removeRecursively();
    }
    {
        SCOPED_TRACE("skin file");
        placeFile("x/o.cjs", sheet.toUtf8());
        Form1& form = open();
        EXPECT_EQ(form.styleSheet(), sheet);
        for (const QString name : {"Frame1", "Frame2", "Option1", "Option5", "Check1"})
            EXPECT_EQ(control(name).palette().color(QPalette::Window), buttonFace);
        EXPECT_EQ(form.palette().color(QPalette::Window), buttonFace);
    }
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormLoadTest, HandPointerFromTheProgramFolder) {
    open();
    EXPECT_FALSE(m_desktop.pointers.customFile.has_value());
    const QString path = placeFile("HAND-M.CUR", "cursor bytes");
    open();
    EXPECT_EQ(m_desktop.pointers.customFile, path);
}

TEST_F(FormLoadTest, OneStartInAHundredOpensTheWebSite) {
    const struct {
        double fraction;
        bool opens;
    } cases[] = {{0.0, false},   {0.059, false}, {0.06, true},
                 {0.0699, true}, {0.07, false},  {0.99, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fraction);
        m_desktop.launcher.opened.clear();
        m_desktop.random.fractions = {c.fraction};
        open();
        const std::vector<QUrl> expected =
            c.opens ? std::vector<QUrl>{QUrl("https://www.veldcraft.example/tagmill")}
                    : std::vector<QUrl>{};
        EXPECT_EQ(m_desktop.launcher.opened, expected);
    }
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(FormLoadTest, WebSiteThatCannotBeOpenedIsReported) {
    m_desktop.random.fractions = {0.065};
    m_desktop.launcher.succeeds = false;
    Form1& form = open();
    ASSERT_EQ(m_desktop.messages.shown.size(), 1u);
    EXPECT_TRUE(m_desktop.messages.shown[0].text.endsWith(
        "\r\nin Gleaner2021/08/31.Form1.Form_Load at line 104" + Support));
    EXPECT_EQ(form.windowTitle(), "Tagmill");
}

// Closing saves the tags, then lets the window handle what was pending twice: an event posted
// before the close runs, and so does one that it posts in turn, both after the tags were saved.
TEST_F(FormLoadTest, ClosingHandlesPendingEventsTwiceAfterSavingTheTags) {
    Form1& form = open();
    form.tagList().append({"td", "tr"});
    std::vector<QString> seen;
    const auto savedTags = [&] {
        const auto found = m_desktop.settings.values.find("Tags");
        return found == m_desktop.settings.values.end() ? QString("absent") : found->second;
    };
    QMetaObject::invokeMethod(
        &form,
        [&] {
            seen.push_back("first saw " + savedTags());
            QMetaObject::invokeMethod(
                &form, [&] { seen.push_back("second saw " + savedTags()); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    form.close();
    EXPECT_EQ(seen, std::vector<QString>(
                        {"first saw td||MySeparator12||tr", "second saw td||MySeparator12||tr"}));
}

class RestartTest : public FormLoadTest {
protected:
    RestartTest() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_configFolder.path());
        m_desktop.settingsBackend = &m_ini;
    }

    QByteArray storeBytes() {
        QFile file(m_configFolder.filePath("Veldcraft.ini"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir m_configFolder;
    platform::IniSettings m_ini;
};

TEST_F(RestartTest, ChoicesAndTagsSurviveARestart) {
    Form1& first = open();
    click("Option3");
    click("Check1");
    first.tagList().append({"td", "", "price"});
    first.close();
    EXPECT_EQ(storeBytes(), "[Tagmill]\n"
                            "Check1=1\n"
                            "Option=3\n"
                            "Snapshot=\n" // the program folder has no samples
                            "Tags=td||MySeparator12||||MySeparator12||price\n");

    Form1& second = open();
    EXPECT_EQ(checkedOption(), "Option3");
    EXPECT_TRUE(control<QCheckBox>("Check1").isChecked());
    EXPECT_EQ(resultsHeaders(), QStringList({"Filename", "Results"}));
    EXPECT_EQ(second.tagList().entries(), QStringList({"td", "", "price"}));
    EXPECT_TRUE(second.fileList().entries().isEmpty());
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

TEST_F(RestartTest, ClosingWithNoTagsStoresTheEmptyText) {
    open().tagList().append({"td"});
    m_form->close();
    open().tagList().clear();
    m_form->close();
    EXPECT_EQ(storeBytes(), "[Tagmill]\nSnapshot=\nTags=\n");
    EXPECT_TRUE(open().tagList().entries().isEmpty());
}

// Closes the window from the event loop; true when the close ended the loop, as it ends the
// program.
bool closingEndsTheProgram(Form1& form) {
    QTimer::singleShot(0, &form, [&form] { form.close(); });
    QTimer::singleShot(60000, &form, [] { QCoreApplication::exit(1); }); // against a hang
    return QCoreApplication::exec() == 0;
}

Message errorBox(const QString& description, const QString& procedure, int line) {
    return {"Application Error",
            description + "\r\nin Gleaner2021/08/31.Form1." + procedure + " at line " +
                QString::number(line) + Support,
            MessageButtons::Ok, MessageIcon::Exclamation};
}

// A store that cannot be written: the window opens with its defaults, the sample snapshot that
// cannot be recorded is reported while it opens, the tags that cannot be saved while it closes,
// and the program still ends.
TEST_F(RestartTest, AnUnwritableStoreIsReportedAndTheProgramStillEnds) {
    const QString fileAsFolder = m_configFolder.filePath("folder");
    struct Case {
        const char* name;
        std::function<void()> spoil;
        QString description;
    };
    const Case cases[] = {
        {"folder in the way",
         [&] { ASSERT_TRUE(QDir().mkpath(m_configFolder.filePath("Veldcraft.ini"))); },
         m_configFolder.filePath("Veldcraft.ini") + ": Filename refers to a directory"},
        {"file in the way of the folder",
         [&] {
             QFile file(fileAsFolder);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, fileAsFolder);
         },
         fileAsFolder + "/Veldcraft.ini: Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.spoil();
        m_desktop.messages.shown.clear();
        Form1& form = open();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(checkedOption(), "Option1");
        EXPECT_EQ(m_desktop.messages.shown,
                  std::vector<Message>{errorBox(c.description, "Form_Load", 106)});
        form.tagList().append({"td"});
        m_desktop.messages.shown.clear();
        EXPECT_TRUE(closingEndsTheProgram(form));
        EXPECT_EQ(m_desktop.messages.shown,
                  std::vector<Message>{errorBox(c.description, "Form_QueryUnload", 100)});
    }
}

// A store of binary junk reads as an empty one; the window opens with its defaults, and closing
// writes a store that the next start reads.
TEST_F(RestartTest, AStoreOfJunkGivesTheDefaults) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 73 + 11) % 256);
    QFile file(m_configFolder.filePath("Veldcraft.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(junk);
    file.close();
    Form1& first = open();
    EXPECT_EQ(checkedOption(), "Option1");
    EXPECT_TRUE(first.tagList().entries().isEmpty());
    first.tagList().append({"td"});
    EXPECT_TRUE(closingEndsTheProgram(first));
    EXPECT_EQ(open().tagList().entries(), QStringList{"td"});
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

// Tags of 50 MB in all come back at the next start and are saved again at closing.
TEST_F(RestartTest, AHugeTagListSurvivesARestart) {
    const QString tag(1000, 'x');
    QStringList tags;
    for (int i = 0; i < 50 * 1024; ++i)
        tags.append(tag);
    Form1& first = open();
    first.tagList().append(tags);
    EXPECT_TRUE(closingEndsTheProgram(first));
    Form1& second = open();
    EXPECT_EQ(second.tagList().entries(), tags);
    EXPECT_TRUE(closingEndsTheProgram(second));
    EXPECT_TRUE(m_desktop.messages.shown.empty());
}

} // namespace
