#pragma once
// Base of a cell checker the string grid can be given: a checker corrects a cell's text or marks
// errors in it through these hooks, and the flags tell the grid when to call them. The base changes
// nothing; a concrete checker overrides the hooks.
#include <QObject>
#include <QString>
#include <cstdint>

class TExStringGridCheck : public QObject {
public:
    explicit TExStringGridCheck(QObject* AOwner = nullptr) : QObject(AOwner) {}

    // Called on a cell's new text when an edit is validated.
    bool AutoCorrect = false;
    bool AutoMarkError = false;
    // Called for each cell during an explicit check of cells.
    bool UseCorrect = false;
    bool UseMarkError = false;
    // The grid's cursor visits each checked cell and returns to the start after a range.
    bool GotoCell = false;

    virtual QString MarkError(int32_t ACol, int32_t ARow, const QString& s) { return s; }
    virtual QString Correct(int32_t ACol, int32_t ARow, const QString& s) { return s; }
    virtual void StartCheck() {}
    virtual void StopCheck() {}
};
