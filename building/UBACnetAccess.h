#pragma once
// The BACnet client's polling tables: the requests that read one property of a remote object into
// the gateway's exchange area (page "BACnet Read") and those that write bytes of the area into a
// remote object's present value (page "BACnet Write"). Rows are typed in or imported from the
// remote device's EDE file. Kept in "BACnet_Master_Access.xml".
#include "shell/AccessListForm.h"

class TFImportEDEFile;

class TFBACnetAccess : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFBACnetAccess(QWidget* parent = nullptr);

    void Set_Lang() override;
    // The grids take no clicks, double-clicks or keys of the family.
    void ClickCell(QObject* Sender, int ARow, int ACol) override;
    void DblClickCell(QObject* Sender, int ARow, int ACol) override;
    void KeyPress(QObject* Sender, QChar& Key) override;
    // Both grids: the read page's NByte cells hint the size of the row's property.
    void GridHint(QObject* Sender, int ARow, int ACol, QString& hint) override;
    void CG1GridHint(QObject* Sender, int ARow, int ACol, QString& hint);
    QString Str_Hint_Read(int ARow, int ACol) const;
    void Btn_Import_CSVClick();

    // The open dialog of the EDE import.
    struct {
        QString InitialDir;
        QString Filter = QStringLiteral("BACnet EDE File (*.csv)");
    } OD_EDE_File;

    // The import window: the program's one unless a caller sets another.
    TFImportEDEFile* Import_Window = nullptr;

    int App_BACnet_Type = 0;
    QWidget* TS_BACnet_Read;
    QWidget* TS_BACnet_Write;
    TExColumnGrid* CG1;
    TExColumnGrid* CG2;
    TFadeButton* Btn_Import_CSV;

protected:
    void Prepare_Show() override;
    const accesslist::Schema& ListSchema() const override;
    std::vector<accesslist::SectionRules> Rules() const override;

private:
    void showKind();
};

inline TFBACnetAccess* FBACnetAccess = nullptr;
