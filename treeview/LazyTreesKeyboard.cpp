// Keyboard input of the tree: the navigation table with its Shift, Ctrl and Alt rules, the command
// keys, the pressed check box of the Space key and the incremental search.
#include <QKeyEvent>

#include "platform/Beep.h"
#include "platform/Keys.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TLTSelectionOption;
using namespace plat;

bool TBaseLazyTree::DoKeyAction(uint16_t& CharCode, Qt::KeyboardModifiers& Shift) {
    bool doDefault = true;
    if (OnKeyAction) OnKeyAction(this, CharCode, Shift, doDefault);
    return doDefault;
}

int TBaseLazyTree::DoIncrementalSearch(PLazyNode Node, const QString& Text) {
    int result = 0;
    if (OnIncrementalSearch) OnIncrementalSearch(this, Node, Text, result);
    return result;
}

void TBaseLazyTree::SetIncrementalSearch(TLTIncrementalSearch Value) {
    IncrementalSearch = Value;
    if (Value == TLTIncrementalSearch::isNone) {
        StopTimer(7);
        SearchBuffer.clear();
        FLastSearchNode = nullptr;
    }
}

bool TBaseLazyTree::HandleKeyDown(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    Qt::KeyboardModifiers shift = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (!DoKeyAction(key, shift)) return true;
    // Any other key gives up a pressed check box.
    if (FStates.Contains(tsKeyCheckPending) && key != VK_SPACE) {
        DoStateChange({}, {tsKeyCheckPending});
        if (FCheckNode) {
            FCheckNode->CheckState = TCheckStateHelper::GetUnpressed(FCheckNode->CheckState);
            RepaintNode(FCheckNode);
            FCheckNode = nullptr;
        }
    }
    const bool navigation = key == VK_BACK || key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN);
    if (navigation && FRoot->ChildCount > 0) {
        NavigationKey(key, shift);
        return true;
    }
    return CommandKey(key, shift, event);
}

bool TBaseLazyTree::CommandKey(uint16_t key, Qt::KeyboardModifiers shift, QKeyEvent* event) {
    // The character of the key with Ctrl taken as released: '*', '+', '-' and '/' of the main keyboard
    // act as their keypad keys.
    const QString text = event->text().isEmpty() || shift.testFlag(Qt::ControlModifier)
                             ? QKeySequence(event->key()).toString()
                             : event->text();
    if (text.size() == 1) {
        switch (text.at(0).unicode()) {
            case '*': key = VK_MULTIPLY; break;
            case '+': key = VK_ADD; break;
            case '-': key = VK_SUBTRACT; break;
            case '/': key = VK_DIVIDE; break;
            default: break;
        }
    }
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const bool alt = shift.testFlag(Qt::AltModifier);
    const bool searching = FStates.Contains(tsIncrementalSearching);
    auto searchCharacter = [&] {
        DoStateChange({tsIncrementalSearchPending});
        return true;
    };
    switch (key) {
        case VK_ESCAPE:
            if (IsMouseSelecting()) {
                DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
                viewport()->update();
            } else if (FStates.Contains(tsEditing)) {
                CancelEditNode();
            }
            return true;
        case VK_SPACE:
            if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FFocusedNode &&
                FFocusedNode->CheckType != TCheckType::ctNone) {
                if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
                    FFocusedNode->States.Contains(vsDisabled))
                    return true;
                TCheckState next = DetermineNextCheckState(FFocusedNode->CheckType, FFocusedNode->CheckState);
                if (DoChecking(FFocusedNode, next)) {
                    DoStateChange({tsKeyCheckPending});
                    FCheckNode = FFocusedNode;
                    FPendingCheckState = next;
                    FFocusedNode->CheckState = TCheckStateHelper::GetPressed(FFocusedNode->CheckState);
                    RepaintNode(FFocusedNode);
                }
                return true;
            }
            return searchCharacter();
        case 'A':
            if (ctrl) {
                SelectAll(true);
                return true;
            }
            return searchCharacter();
        case VK_MULTIPLY:
            if (searching) return searchCharacter();
            if (FFocusedNode) FullExpand(FFocusedNode);
            return true;
        case VK_ADD:
            if (searching) return searchCharacter();
            if (ctrl) {
                if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toReverseFullExpandHotKey) !=
                    shift.testFlag(Qt::ShiftModifier))
                    FullExpand();
                else
                    FHeader->AutoFitColumns(true, TSmartAutoFitType::smaUseColumnOption);
            } else if (FFocusedNode && !FFocusedNode->States.Contains(vsExpanded)) {
                ToggleNode(FFocusedNode);
            }
            return true;
        case VK_SUBTRACT:
            if (searching) return searchCharacter();
            if (ctrl) {
                if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toReverseFullExpandHotKey) !=
                    shift.testFlag(Qt::ShiftModifier))
                    FullCollapse();
                else
                    FHeader->RestoreColumns();
            } else if (FFocusedNode && FFocusedNode->States.Contains(vsExpanded)) {
                ToggleNode(FFocusedNode);
            }
            return true;
        case VK_DIVIDE:
            if (searching) return searchCharacter();
            if (FFocusedNode) FullCollapse(FFocusedNode);
            return true;
        case VK_APPS:
            if (FFocusedNode) {
                const plat::TRect r = GetDisplayRect(FFocusedNode, FFocusedColumn, true);
                const int half = std::min(DoGetNodeWidth(FFocusedNode, FFocusedColumn), viewport()->width()) / 2;
                DoPopupMenu(FFocusedNode, FFocusedColumn, QPoint(r.Left + half, (r.Top + r.Bottom) / 2));
            } else {
                DoPopupMenu(nullptr, FFocusedColumn, QPoint(-1, -1));
            }
            return true;
        case VK_F2:
            if (shift == Qt::NoModifier && FFocusedNode && CanEdit(FFocusedNode, FFocusedColumn)) {
                FEditColumn = FFocusedColumn;
                DoEdit();
            }
            return true;
        case VK_F1:
            if (OnGetHelpContext) {
                int context = 0;
                for (PLazyNode n = FFocusedNode; n && n != FRoot && context == 0; n = n->Parent)
                    OnGetHelpContext(this, n, std::max(FFocusedColumn, 0), context);
                if (context != 0 && HelpHook) HelpHook(context);
                return true;
            }
            return false;
        default: break;
    }
    if ((ctrl != alt) || key < 32) return false;
    return searchCharacter();
}

int TBaseLazyTree::HorizontalKeyStep() const {
    // With columns Ctrl+Left/Right move by an average column.
    return FHeader->UseColumns() ? FHeader->Columns().GetScrollWidth() : FScrollBarOptions.HorizontalIncrement();
}

void TBaseLazyTree::NavigationKey(uint16_t key, Qt::KeyboardModifiers shift) {
    const bool shiftHeld = shift.testFlag(Qt::ShiftModifier);
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const bool alt = shift.testFlag(Qt::AltModifier);
    const bool multi = TreeOptions().SelectionOptions().Contains(toMultiSelect);
    const bool grid = TreeOptions().MiscOptions().Contains(TLTMiscOption::toGridExtensions);
    const bool shiftSelect = shiftHeld && multi && !FStates.Contains(tsEditing);
    bool toggleRange = (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME) && shiftSelect;
    const bool repaintAll = toggleRange || FSelectionCount > 1;
    const bool noModifier = shift == Qt::NoModifier;
    const bool clearFirst = noModifier || (grid && !shiftHeld) || !multi || key == VK_BACK || key == VK_TAB;
    PLazyNode oldNode = FFocusedNode;
    if (!oldNode && !noModifier) oldNode = GetFirstVisible();
    if (!FRangeAnchor) FRangeAnchor = FSelectionCount > 0 ? GetFirstSelected() : GetFirst();
    const int clientH = viewport()->height(), clientW = viewport()->width();
    auto before = [&](PLazyNode a, PLazyNode b) { return a && b && CompareNodePositions(a, b, true) < 0; };
    auto focus = [&](PLazyNode n) { SetFocusedNode(n); };
    switch (key) {
        case VK_BACK:
            if (FStates.Contains(tsIncrementalSearching))
                DoStateChange({tsIncrementalSearchPending});
            else if (FFocusedNode && FFocusedNode->Parent != FRoot)
                focus(FFocusedNode->Parent);
            break;
        case VK_TAB:
            if (TreeOptions().SelectionOptions().Contains(toExtendedFocus) && FHeader->UseColumns()) {
                // The next cell that may take the focus, row after row; the handler may refuse cells.
                TLazyTreeColumns& columns = FHeader->Columns();
                const bool back = shiftHeld;
                auto step = [&](TColumnIndex c) {
                    return back ? columns.GetPreviousVisibleColumn(c, true) : columns.GetNextVisibleColumn(c, true);
                };
                PLazyNode candidate = FFocusedNode ? FFocusedNode : (back ? GetLastVisible() : GetFirstVisible());
                TColumnIndex column = step(FFocusedColumn);
                while (candidate) {
                    while (column >= 0 && !DoFocusChanging(FFocusedNode, candidate, FFocusedColumn, column))
                        column = step(column);
                    if (column >= 0) {
                        SetFocusedNodeAndColumn(candidate, column);
                        break;
                    }
                    candidate = back ? GetPreviousVisible(candidate, true) : GetNextVisible(candidate, true);
                    column = back ? columns.GetLastVisibleColumn(true) : columns.GetFirstVisibleColumn(true);
                }
            }
            break;
        case VK_PRIOR:
        case VK_NEXT: {
            const bool up = key == VK_PRIOR;
            if (shiftHeld && ctrl) {
                SetOffsetX(FOffsetX + (up ? clientW : -clientW));
            } else if (shiftHeld && alt) {
                if (FHeader->UseColumns()) {
                    TLazyTreeColumns& columns = FHeader->Columns();
                    TColumnIndex column = FFocusedColumn;
                    if (!columns.IsValidColumn(column)) {
                        column = columns.GetFirstVisibleColumn();
                    } else {
                        // As many columns as fit the client beside the fixed area.
                        int sum = columns.GetVisibleFixedWidth();
                        for (;;) {
                            const TColumnIndex next =
                                up ? columns.GetPreviousVisibleColumn(column) : columns.GetNextVisibleColumn(column);
                            if (next < 0 || sum + columns[column].Width() >= clientW ||
                                columns[next].Options().Contains(TLTColumnOption::coFixed))
                                break;
                            sum += columns[column].Width();
                            column = next;
                        }
                    }
                    SetFocusedColumn(column);
                }
            } else if (ctrl) {
                SetOffsetY(FOffsetY + (up ? clientH : -clientH));
            } else if (up) {
                PLazyNode n = FFocusedNode;
                if (!n) {
                    n = GetFirstVisible();
                } else {
                    int64_t sum = 0;
                    for (PLazyNode p = GetPreviousVisible(n); p && sum + NodeHeight(n) < clientH;
                         p = GetPreviousVisible(n)) {
                        sum += NodeHeight(n);
                        n = p;
                    }
                }
                focus(n);
            } else {
                PLazyNode n = FFocusedNode;
                if (!n) {
                    n = GetLastVisible();
                } else {
                    int64_t sum = 0;
                    PLazyNode taken = n;
                    for (PLazyNode c = n; c;) {
                        taken = c;
                        sum += NodeHeight(c);
                        PLazyNode next = GetNextVisible(c);
                        if (!next || sum >= clientH) break;
                        c = next;
                    }
                    n = taken;
                }
                focus(n);
            }
            break;
        }
        case VK_HOME:
        case VK_END: {
            const bool start = (key == VK_HOME) != UseRightToLeftReading();
            PLazyNode n = start ? GetFirstVisible() : GetLastVisible();
            if (ctrl && !grid) {
                ScrollIntoView(n, TreeOptions().SelectionOptions().Contains(toCenterScrollIntoView),
                               !TreeOptions().AutoOptions().Contains(TLTAutoOption::toDisableAutoscrollOnFocus));
                SetOffsetX(key == VK_HOME && !UseRightToLeftReading() ? 0 : -2147483647);
                return;
            }
            focus(n);
            break;
        }
        case VK_LEFT:
            if (ctrl) {
                SetOffsetX(FOffsetX + (UseRightToLeftReading() ? -1 : 1) * HorizontalKeyStep());
            } else if (grid && TreeOptions().SelectionOptions().Contains(toExtendedFocus) && FHeader->UseColumns()) {
                const TColumnIndex c = FHeader->Columns().GetPreviousVisibleColumn(FFocusedColumn, true);
                if (c >= 0) SetFocusedColumn(c);
            } else if (FFocusedNode) {
                if (FFocusedNode->States.Contains(vsExpanded) && noModifier && FFocusedNode->ChildCount > 0) {
                    ToggleNode(FFocusedNode);
                } else if (FFocusedNode->Parent != FRoot) {
                    PLazyNode parent = FFocusedNode->Parent;
                    if (shiftSelect) {
                        if (FFocusedNode != GetFirstVisibleChild(parent))
                            toggleRange = true;
                        else if (before(FRangeAnchor, parent))
                            RemoveFromSelection(FFocusedNode);
                    }
                    focus(parent);
                }
            } else {
                focus(GetFirstVisible());
            }
            break;
        case VK_RIGHT:
            if (ctrl) {
                SetOffsetX(FOffsetX - (UseRightToLeftReading() ? -1 : 1) * HorizontalKeyStep());
            } else if (grid && TreeOptions().SelectionOptions().Contains(toExtendedFocus) && FHeader->UseColumns()) {
                const TColumnIndex c = FHeader->Columns().GetNextVisibleColumn(FFocusedColumn, true);
                if (c >= 0) SetFocusedColumn(c);
            } else if (FFocusedNode) {
                if (!FFocusedNode->States.Contains(vsExpanded) && noModifier &&
                    (FFocusedNode->ChildCount > 0 || FFocusedNode->States.Contains(vsHasChildren))) {
                    ToggleNode(FFocusedNode);
                } else if (PLazyNode child = GetFirstVisibleChildNoInit(FFocusedNode)) {
                    if (shiftSelect && before(child, FRangeAnchor)) RemoveFromSelection(FFocusedNode);
                    focus(child);
                }
            } else {
                focus(GetFirstVisible());
            }
            break;
        case VK_UP:
        case VK_DOWN: {
            const bool upKey = key == VK_UP;
            if (ctrl) {
                SetOffsetY(FOffsetY + (upKey ? 1 : -1) * int64_t(FDefaultNodeHeight));
                break;
            }
            PLazyNode target = FFocusedNode ? (upKey ? GetPreviousVisible(FFocusedNode) : GetNextVisible(FFocusedNode))
                                            : (upKey ? GetLastVisible() : GetFirstVisible());
            if (target) {
                if (FStates.Contains(tsEditing) && !EndEditNode()) return;
                const bool away = upKey ? before(FRangeAnchor, oldNode) : before(oldNode, FRangeAnchor);
                if (FFocusedNode && (!shiftSelect || away)) RemoveFromSelection(FFocusedNode);
                focus(target);
            } else if (FFocusedNode) {
                InvalidateNode(FFocusedNode);
            }
            break;
        }
        default: break;
    }
    bool cleared = false;
    if (clearFirst && (FFocusedNode != oldNode || FSelectionCount != 1)) {
        ClearSelection();
        cleared = true;
    }
    if (noModifier && FFocusedNode) {
        FRangeAnchor = FFocusedNode;
        FLastSelectionLevel = int(GetNodeLevel(FFocusedNode));
    }
    if (FFocusedNode) {
        if (toggleRange && oldNode) ToggleNodeRange(oldNode, FFocusedNode);
        if (FFocusedNode != oldNode || cleared) AddToSelection(FFocusedNode);
    }
    if (repaintAll) viewport()->update();
}

void TBaseLazyTree::ProcessIncrementalSearch(QChar CharCode) {
    StopTimer(7);
    if (IncrementalSearch == TLTIncrementalSearch::isNone) return;
    const bool backspace = CharCode == QChar(8);
    if (!CharCode.isNull() && !(backspace && SearchBuffer.isEmpty())) {
        DoStateChange({tsIncrementalSearching});
        PLazyNode start = nullptr;
        switch (IncrementalSearchStart) {
            case TLTSearchStart::ssAlwaysStartOver: break;
            case TLTSearchStart::ssLastHit: start = FLastSearchNode; break;
            case TLTSearchStart::ssFocusedNode: start = FFocusedNode; break;
        }
        if (start && IncrementalSearch == TLTIncrementalSearch::isInitializedOnly &&
            !start->States.Contains(vsInitialized))
            start = nullptr;
        if (start && IncrementalSearch == TLTIncrementalSearch::isVisibleOnly &&
            (!FullyVisible(start) || IsEffectivelyFiltered(start)))
            start = nullptr;
        bool forward = IncrementalSearchDirection == TLTSearchDirection::sdForward;
        if (backspace) forward = !forward;
        bool repeat = SearchBuffer.size() == 1 && !backspace && SearchBuffer.at(0) == CharCode;
        if (repeat && start && DoIncrementalSearch(start, SearchBuffer + CharCode) == 0) repeat = false;
        auto step = [&](PLazyNode n) -> PLazyNode {
            switch (IncrementalSearch) {
                case TLTIncrementalSearch::isInitializedOnly: return forward ? GetNextNoInit(n) : GetPreviousNoInit(n);
                case TLTIncrementalSearch::isVisibleOnly: return forward ? GetNextVisible(n) : GetPreviousVisible(n);
                default: return forward ? GetNext(n) : GetPrevious(n);
            }
        };
        auto first = [&]() -> PLazyNode {
            switch (IncrementalSearch) {
                case TLTIncrementalSearch::isInitializedOnly: return forward ? GetFirstNoInit() : GetLastNoInit();
                case TLTIncrementalSearch::isVisibleOnly: return forward ? GetFirstVisible() : GetLastVisible();
                default: return forward ? GetFirst() : GetLast();
            }
        };
        PLazyNode run = start;
        if (SearchBuffer.isEmpty() || !start || repeat || backspace) {
            run = start ? step(start) : nullptr;
            if (!run) run = first();
        }
        QString text;
        if (repeat) {
            text = SearchBuffer;
        } else if (backspace) {
            SearchBuffer.chop(1);
            text = SearchBuffer;
        } else {
            text = SearchBuffer + CharCode;
        }
        PLazyNode found = nullptr;
        PLazyNode last = nullptr;
        while (run) {
            last = run;
            if (DoIncrementalSearch(run, text) == 0) {
                found = run;
                break;
            }
            PLazyNode next = step(run);
            if (!next && start) next = first();
            if (!next || next == start) {
                last = next;
                break;
            }
            run = next;
        }
        if (found) {
            ClearSelection();
            SearchBuffer = text;
            FLastSearchNode = found;
            SetFocusedNode(found);
            SetSelected(found, true);
            FLastSearchNode = found;
        } else if (last && DoIncrementalSearch(last, text) != 0) {
            MessageBeep(MB_OK);
        }
    }
    StartTimer(7, int(IncrementalSearchTimeout));
}
