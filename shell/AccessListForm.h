#pragma once
// The window every access list shares: the title panel, one grid or two pages with a grid each,
// and the button panel with OK, Cancel and the four row buttons. A member describes its pages,
// columns, texts and file once (`AccessListDef`) and gives the rules of its rows; the base runs the
// cycle: labelling, the reset and load at every showing, the row buttons with one copy flag per
// grid, the grid events, validation and saving on OK, Cancel.
#include "controls/ExGridTypes.h"
#include "platform/Form.h"
#include "platform/XmlDoc.h"
#include "shell/AccessListFile.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

class QObject;
class TFadeButton;
class QResizeEvent;
class QTabWidget;
class QWidget;
class TExColumnGrid;

struct AccessListColumn {
    int header;            // text number of the header (row 0)
    int hint;              // text number of the header's hint, -1: none (column 0)
    TEditorType editor;
    int width;
    TColor color;
};

struct AccessListPage {
    const char* pageName;  // the tab sheet, e.g. "TS_Receive_PDO" (unused for a one-grid list)
    const char* gridName;  // e.g. "sga"
    int tabText;           // -1: no tab (one-grid list)
    std::vector<AccessListColumn> columns;  // column 0 first
    int errorPrefix = -1;  // the page's own "Error in ..., row ", -1: the window's
};

struct AccessListDef {
    const char* objectName;        // the window's instance name, e.g. "FSet_PDO_Access"
    int clientWidth;
    const char* fontFace;          // nullptr: the house font
    int caption;                   // window caption
    int description;               // L_SW_Desc
    int firstButtonCaption;        // six captions in button order, -1: the captions stay as built
    int firstButtonHint;           // six hints in button order, -1: none
    int deleteQuestion;            // "Are you sure to delete the Row number "
    int errorPrefix;               // "Error row "
    bool insertWithEnable;         // Insert Row puts "Y" into column 1
    const accesslist::Schema* schema;
    QString* filePath;             // the project file's path in the shared state
    std::vector<AccessListPage> pages;  // one or two, in page (and section) order
    bool rowButtons = true;        // false: OK and Cancel only (the four row buttons stay null)
    bool copyButtons = true;       // false: no Copy Row and Paste Row (they stay null)
};

class TAccessListForm : public plat::TForm {
    Q_OBJECT
public:
    static constexpr int kClientHeight = 337;
    static constexpr int kButtonPanelHeight = 40;

    void Set_Lang() override;
    bool Controllo_dati();

    void Btn_OK_Click();
    void Btn_DelRow_Click();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    // Grid events of every grid; members that differ override them.
    virtual void ClickCell(QObject* Sender, int ARow, int ACol);
    virtual void DblClickCell(QObject* Sender, int ARow, int ACol);
    virtual void KeyPress(QObject* Sender, QChar& Key);
    virtual void GridHint(QObject* Sender, int ARow, int ACol, QString& hint);

    // Deletes a table row without asking; the shell's row helper unless the member has its own.
    virtual void Delete_Row(int Row, TExColumnGrid& Grid);

    // The grid of page i and its copy flag and hint list.
    TExColumnGrid& Grid(int page) const { return *pages_.at(size_t(page)).grid; }
    int PageCount() const { return int(pages_.size()); }
    TExColumnGrid& ActiveGrid() const;

    QWidget* P_Title = nullptr;
    QWidget* P_Button = nullptr;
    QTabWidget* PageControl1 = nullptr;  // two-page lists only
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    TFadeButton* Btn_DelRow = nullptr;
    TFadeButton* Btn_InsRow = nullptr;
    TFadeButton* Btn_CopyRow = nullptr;
    TFadeButton* Btn_PasteRow = nullptr;
    plat::XmlDocument XML1;

protected:
    TAccessListForm(const AccessListDef& def, QWidget* parent);

    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;
    // Runs at each showing before the reset and the load: byte sizes, drop-down items, and the row
    // count of a table whose size follows the project (the reset and the load follow the grid).
    virtual void Prepare_Show() {}
    // The file's layout; a member whose key column follows the project gives the one in force.
    virtual const accesslist::Schema& ListSchema() const { return *def_.schema; }
    // The rules of each section, built with the window's current limits.
    virtual std::vector<accesslist::SectionRules> Rules() const = 0;
    // A member whose file keeps a cell in another form than the grid shows it (a topic's position
    // for its text) converts the rows here: as read, before they fill the grids, and as they will be
    // written, after validation.
    virtual void Loaded_Rows(std::vector<accesslist::Rows>& sections) {}
    virtual void Saving_Rows(std::vector<accesslist::Rows>& sections) const {}

    QWidget* Page(int page) const { return pages_.at(size_t(page)).page; }
    // Each grid's copy flag and header hint list, by page.
    bool Do_Copy[2] = {false, false};
    QStringList Hints[2];

private:
    struct PageState {
        QWidget* page;
        TExColumnGrid* grid;
    };
    int pageOf(const QObject* grid) const;
    void resetGrids();
    void loadFile();
    std::vector<accesslist::Rows> gridRows() const;
    bool saveFile();

    const AccessListDef& def_;
    QWidget* body_ = nullptr;  // the page control or the one grid
    std::vector<PageState> pages_;
    // The file could not be read at the last showing: OK asks before it replaces it.
    bool loadFailed_ = false;
};
