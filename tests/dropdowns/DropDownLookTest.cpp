// A window of the list, calculator, track bar, memo and multi-column drop-downs to try by hand,
// for DROPDOWN_LOOK_SECONDS.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "dropdowns/ExCalculatorDropdown.h"
#include "dropdowns/ExDetailDropDown.h"
#include "dropdowns/ExMemoDropDown.h"
#include "dropdowns/ExMultiColumnDropDown.h"
#include "dropdowns/ExTrackBarDropDown.h"

using namespace dropdowns;

TEST(DropDownLook, Look) {
    const int seconds = qEnvironmentVariableIntValue("DROPDOWN_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set DROPDOWN_LOOK_SECONDS to try the drop-downs by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Drop-downs"));
    window.resize(560, 240);
    std::vector<std::unique_ptr<TExCustomDropDown>> edits;
    auto place = [&](TExCustomDropDown* e, const char* label, int row) {
        auto* l = new QLabel(QString::fromLatin1(label), &window);
        l->setGeometry(10, 14 + 36 * row, 110, 20);
        e->setGeometry(120, 10 + 36 * row, 200, 24);
        edits.emplace_back(e);
    };

    auto* detail = TExCustomDropDown::CreateDropDown<TExDetailDropDown>(&window);
    const char* devices[][2] = {{"Alpha", "Gateway <b>A</b>, slot 1"},
                                {"Beta", "Meter in <i>hall 2</i>"},
                                {"Betamax", "<font color=\"clRed\">offline</font>"},
                                {"Gamma", ""}};
    for (const auto& d : devices) {
        TDetailItem& it = detail->Items().Add();
        it.SetCaption(QString::fromLatin1(d[0]));
        it.SetNotes(QString::fromLatin1(d[1]));
    }
    detail->SetItemHeight(36);
    detail->OnSelect = [detail](QObject*) { qInfo("detail %d", detail->ItemIndex()); };
    place(detail, "Detail", 0);

    auto* calc = TExCustomDropDown::CreateDropDown<TExCalculatorDropdown>(&window);
    place(calc, "Calculator", 1);

    auto* track = TExCustomDropDown::CreateDropDown<TExTrackBarDropDown>(&window);
    track->OnTrackChange = [track](QObject*) { qInfo("track %d", track->Position()); };
    place(track, "Track bar", 2);

    auto* memo = TExCustomDropDown::CreateDropDown<TExMemoDropDown>(&window);
    memo->SetEditorEnabled(false);
    memo->SetMemoText({QStringLiteral("First line of the note"), QStringLiteral("second line")});
    place(memo, "Memo", 3);

    auto* multi = TExCustomDropDown::CreateDropDown<TExMultiColumnDropDown>(&window);
    const char* headers[] = {"Device", "Address", "State"};
    for (const char* h : headers) multi->Columns().Add().Header = QString::fromLatin1(h);
    const char* rows[][3] = {{"Apple", "10", "running"},  {"Apricot", "11", "stopped"}, {"Banana", "12", "running"},
                             {"Cherry", "20", "alarm"},   {"Date", "21", "idle"},       {"Fig", "22", "running"},
                             {"Grape", "30", "stopped"},  {"Kiwi", "31", "running"},    {"Lemon", "32", "idle"}};
    for (const auto& r : rows)
        multi->Items().Add().SetText({QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2])});
    multi->EndUpdate();
    multi->OnSelect = [multi](QObject*) { qInfo("multi %d", multi->ItemIndex()); };
    place(multi, "Multi-column", 4);

    window.show();
    QTimer::singleShot(seconds * 1000, &window, &QWidget::close);
    while (window.isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
