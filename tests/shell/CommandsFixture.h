#pragma once

#include "lists/EntryListModel.h"
#include "ScriptedContext.h"
#include "shell/ReportView.h"
#include "shell/WorkQueue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "../QtPrinters.h"

namespace tagmill {

/// One list, its view and the services its commands take, over a scripted desktop, with a
/// temporary folder for the files the commands read.
class CommandsFixture : public ::testing::Test, protected ScriptedContext {
protected:
    CommandsFixture() {
        m_view.setModel(&m_list);
        m_view.resize(400, 200);
    }

    /// Waits until every job started so far has handed over all it found, cancelled ones
    /// included: an empty job runs after them.
    void finishLoading() {
        bool done = false;
        m_loader.start([](WorkQueue::Output&) {}, {}, [&] { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    }

    /// Writes a file below the temporary folder, making its folders; returns its path.
    QString write(const QString& name, const QByteArray& bytes = {}) {
        const QString path = m_files.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString pathOf(const QString& name) const { return m_files.filePath(name); }

    platform::Message box(const QString& text) const {
        return {"Tagmill", text, platform::MessageButtons::Ok, platform::MessageIcon::None};
    }
    EntryListModel m_list;
    ReportView m_view;
    QTemporaryDir m_files;
    WorkQueue m_loader; // last: its work ends before the list goes
};

} // namespace tagmill
