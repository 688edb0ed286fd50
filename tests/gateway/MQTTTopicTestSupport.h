#pragma once
// A project with the topic dialog and the template editor, shown offscreen.
#include "gateway/UMQTT_Set_Topic.h"
#include "controls/FadeButton.h"
#include "gateway/UTopicTemplate.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace topic_test {

using Cells = std::vector<std::pair<int, QString>>;  // (real column, text)

class TopicProject : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
        Set_App_Folders(app.path());
        g_ProjectName = QStringLiteral("P");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/P");
        QDir().mkpath(g_ProjectPath);
        Set_Files();
        g_RowClipboard.clear();
        g_EnableJumpFieldTables = 0;
        g_DoubleClickAutoSize = 0;
        editor = std::make_unique<TFTopicTemplate>();
        FTopicTemplate = editor.get();
        dlg = std::make_unique<TFMQTT_Set_Topic>();
    }
    void TearDown() override {
        dlg.reset();
        FTopicTemplate = nullptr;
        editor.reset();
    }

    // Every showing starts again from the file.
    void open() {
        dlg->hide();
        dlg->show();
    }
    void set(TExColumnGrid& g, int row, const Cells& cells) {
        for (const auto& [c, text] : cells) g.SetCells(c, row, text);
    }
    // A publication and a subscription that pass every check.
    static Cells goodPub(const QString& topic) {
        return {{1, topic}, {3, QStringLiteral("0")}, {4, QStringLiteral("Int")}, {5, QStringLiteral("2")}, {6, QStringLiteral("0")},
                {10, QStringLiteral("$VALUE$")}};
    }
    static Cells goodSub(const QString& topic) {
        return {{1, topic}, {3, QStringLiteral("2")}, {4, QStringLiteral("Float")}, {5, QStringLiteral("4")}, {6, QStringLiteral("0")},
                {12, QStringLiteral("$VALUE$")}};
    }
    QByteArray file() const { return testing_support::readAll(g_MQTTSetTopicFile); }
    void writeFile(const QByteArray& bytes) { testing_support::writeAll(g_MQTTSetTopicFile, bytes); }
    void writeParGen(const QByteArray& bytes) { testing_support::writeAll(g_ParGenFile, bytes); }
    QStringList row(const TExColumnGrid& g, int r) const {
        QStringList l;
        for (int c = 1; c < g.TotalColCount(); ++c) l << g.Cells(c, r);
        return l;
    }

    testing_support::TempAppDir app;
    testing_support::RecordingDialogs rec;
    std::unique_ptr<TFTopicTemplate> editor;
    std::unique_ptr<TFMQTT_Set_Topic> dlg;
};

// Runs `whileOpen` on the next modal window once the event loop turns.
inline void whenModal(std::function<void(QWidget*)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr) << "no modal window opened";
        whileOpen(w);
    });
}

}  // namespace topic_test
