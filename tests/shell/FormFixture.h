#pragma once

#include "platform/fakes/FakeDesktop.h"
#include "shell/Form1.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "../QtPrinters.h"

namespace tagmill {

/// A main window over a scripted desktop, in a program folder of its own.
class FormFixture : public ::testing::Test {
protected:
    /// Makes the window and runs its opening sequence.
    Form1& open(detail::FolderCalls& folderCalls = detail::systemFolderCalls()) {
        m_form = std::make_unique<Form1>(m_desktop.desktop(), m_programFolder.path(), folderCalls);
        m_form->Form_Load();
        return *m_form;
    }

    /// Puts a file into the program folder.
    QString placeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_programFolder.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    template <typename Control = QWidget> Control& control(const QString& name) {
        auto* found = m_form->findChild<Control*>(name);
        if (!found)
            throw std::runtime_error("no control " + name.toStdString());
        return *found;
    }

    void click(const QString& name) { control<QAbstractButton>(name).click(); }

    platform::FakeDesktop m_desktop;
    QTemporaryDir m_programFolder;
    std::unique_ptr<Form1> m_form;
};

} // namespace tagmill
