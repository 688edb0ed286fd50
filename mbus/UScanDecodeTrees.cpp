#include "mbus/UScanDecode.h"

// The two result trees of the Scan & Decode window. Kept apart from the table code: the tree's
// alignment type and the grid's share a name.
#include "mbus/MBusMeters.h"
#include "platform/ImageList.h"
#include "treeview/LazyTrees.h"

#include <QLabel>
#include <QSplitter>

using namespace plat;

namespace {

constexpr int kDetails = 12;

QString hex(uint64_t v, int digits) { return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper(); }

struct TMyRec {
    QString Caption;
    bool Check = false;
};

// Caption of value node or of detail `detail` (-1: the value itself), shared by both trees.
QString valueCaption(const mbus::TVariable_MBus& v) {
    return QStringLiteral("Value = %1 - Type = %2 (U%3S%4T%5)")
        .arg(v.ValueStr, v.Desc_Type_Data)
        .arg(v.device)
        .arg(v.storage_number)
        .arg(v.tarif);
}

QString detailCaption(const mbus::TVariable_MBus& v, int detail) {
    switch (detail) {
    case 0: return QStringLiteral("Storage Number = %1").arg(v.storage_number);
    case 1: return QStringLiteral("Tariff = %1").arg(v.tarif);
    case 2: return QStringLiteral("Unit = %1").arg(v.device);
    case 3: return QStringLiteral("Data Field = ") + v.DataFieldStr;
    case 4: return QStringLiteral("Function Field = ") + v.FunctionFieldStr;
    case 5: return QStringLiteral("Type = ") + v.Desc_Type_Data;
    case 6: return QStringLiteral("Value = ") + v.ValueStr;
    case 7: return QStringLiteral("DIF = ") + v.DIF;
    case 8: return QStringLiteral("VIF = $") + hex(v.VIF, 2);
    case 9: return QStringLiteral("DIFE = ") + v.DIFE;
    case 10: return QStringLiteral("VIFE = ") + v.VIFE;
    default: return QStringLiteral("DATA = $") + v.totdati;
    }
}

QString meterCaption(const mbus::TSlave_MBus& m) {
    return QStringLiteral("Primary Address = %1 - Secondary Address = %2 - Manufacturer = %3(%4) - Version = %5 - Type = %6")
        .arg(m.Primary_Addresss)
        .arg(m.Secondary_Addresss, m.descManufacture)
        .arg(m.Manufacture)
        .arg(m.Version)
        .arg(m.Medium);
}

bool ticked(TCheckState s) { return s == TCheckState::csCheckedNormal || s == TCheckState::csCheckedPressed; }

}  // namespace

void TFScanDecode::Make_Trees() {
    VST = new TLazyStringTree(P_TreeView);
    VST->setObjectName(QStringLiteral("VST"));
    setUpTree(VST, false);
    vstWidget_ = VST;
    VST_Wireless = new TLazyStringTree(Splitter_Wireless);
    VST_Wireless->setObjectName(QStringLiteral("VST_Wireless"));
    setUpTree(VST_Wireless, true);
    vstWirelessWidget_ = VST_Wireless;
}

void TFScanDecode::Clear_Wireless_Tree() { VST_Wireless->Clear(); }

void TFScanDecode::setUpTree(TLazyStringTree* tree, bool wireless) {
    tree->SetNodeDataType<TMyRec>();
    tree->TreeOptions().SetMiscOptions({TLTMiscOption::toCheckSupport, TLTMiscOption::toFullRepaintOnResize,
                                        TLTMiscOption::toInitOnSave, TLTMiscOption::toToggleOnDblClick});
    tree->TreeOptions().SetPaintOptions({TLTPaintOption::toShowButtons, TLTPaintOption::toShowRoot,
                                         TLTPaintOption::toShowTreeLines, TLTPaintOption::toThemeAware});
    tree->TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
    tree->SetImages(IL_Tree1.get());
    tree->OnGetText = [](TCustomLazyStringTree* t, PLazyNode node, TColumnIndex, TVSTTextType, QString& text) {
        text = t->GetNodeData<TMyRec>(node)->Caption;
    };
    tree->OnGetImageIndexEx = [](TBaseLazyTree* t, PLazyNode node, TLTImageKind kind, TColumnIndex, bool&, int& index,
                                 const TImageList*&) {
        if (kind == TLTImageKind::ikNormal || kind == TLTImageKind::ikSelected)
            index = int(std::min<uint32_t>(t->GetNodeLevel(node), 2));
    };
    // Captions are made when a node is first shown, from its level and position: 250 meters of 20
    // values give 60,000 nodes, of which only a screenful is ever read.
    tree->OnInitNode = [this, wireless](TLazyTreeCore* t, PLazyNode parent, PLazyNode node,
                                        TLazyNodeInitStates& states) {
        const uint32_t level = t->GetNodeLevel(node);
        TMyRec* rec = t->GetNodeData<TMyRec>(node);
        if (level < 2) node->CheckType = TCheckType::ctCheckBox;
        if (!wireless) {
            g_MBusSlaveList.Locked([&](mbus::TMBusMeters& meters) {
                const uint32_t m = level == 0 ? node->Index : level == 1 ? parent->Index : parent->Parent->Index;
                if (m >= meters.size()) return;
                const mbus::TSlave_MBus& meter = *meters[m];
                if (level == 0) {
                    meters[m]->Node = node;
                    rec->Caption = meterCaption(meter);
                    node->CheckState = TCheckState::csCheckedNormal;
                    if (!meter.List_Var.empty()) states.Include(TLazyNodeInitState::ivsHasChildren);
                    return;
                }
                const uint32_t v = level == 1 ? node->Index : parent->Index;
                if (v >= meter.List_Var.size()) return;
                if (level == 1) {
                    rec->Caption = valueCaption(meter.List_Var[v]);
                    node->CheckState = TCheckState::csCheckedNormal;
                    states.Include(TLazyNodeInitState::ivsHasChildren);
                } else {
                    rec->Caption = detailCaption(meter.List_Var[v], int(node->Index));
                }
            });
            return;
        }
        const int row = selectedWirelessIndex();
        g_WMBusSlaveList.Locked([&](mbus::TWMBusMeters& meters) {
            if (row < 0 || row >= int(meters.size())) return;
            const mbus::TSlave_wMBus& meter = *meters[size_t(row)];
            if (level == 0) {
                rec->Caption = QStringLiteral("Manufacturer = %1 - Address = %2 - Version = %3 - Device Type = %4 - %5")
                                   .arg(meter.ALA_Manu_str, hex(meter.ALA_Address, 8))
                                   .arg(meter.ALA_Version)
                                   .arg(meter.ALA_DeviceType)
                                   .arg(meter.Cripted ? QStringLiteral("CRIPTED!!") : QString());
                node->CheckState = meter.Enable ? TCheckState::csCheckedNormal : TCheckState::csUncheckedNormal;
                if (!meter.List_Var.empty()) states.Include(TLazyNodeInitState::ivsHasChildren);
                return;
            }
            const uint32_t v = level == 1 ? node->Index : parent->Index;
            if (v >= meter.List_Var.size()) return;
            const mbus::TVariable_MBus& var = meter.List_Var[v];
            if (level == 1) {
                rec->Caption = var.Real_Wireless_Var ? valueCaption(var) : QStringLiteral("Idle Filler");
                node->CheckState = var.Enable ? TCheckState::csCheckedNormal : TCheckState::csUncheckedNormal;
                states.Include(TLazyNodeInitState::ivsHasChildren);
            } else {
                rec->Caption = detailCaption(var, int(node->Index));
            }
        });
    };
    // Children are counted when a node is first expanded: a meter has its values, a value its details.
    tree->OnInitChildren = [this, wireless](TLazyTreeCore* t, PLazyNode node, uint32_t& count) {
        if (t->GetNodeLevel(node) != 0) {
            count = kDetails;
            return;
        }
        if (wireless) {
            const int row = selectedWirelessIndex();
            count = uint32_t(g_WMBusSlaveList.Locked([&](mbus::TWMBusMeters& meters) {
                return row >= 0 && row < int(meters.size()) ? meters[size_t(row)]->List_Var.size() : size_t(0);
            }));
            return;
        }
        count = uint32_t(g_MBusSlaveList.Locked([&](mbus::TMBusMeters& meters) {
            return node->Index < meters.size() ? meters[node->Index]->List_Var.size() : size_t(0);
        }));
    };
    if (wireless)
        tree->OnChecked = [this](TLazyTreeCore* t, PLazyNode node) {
            const int row = selectedWirelessIndex();
            const TCheckState s = node->CheckState;
            if (row < 0 || (s != TCheckState::csCheckedNormal && s != TCheckState::csUncheckedNormal)) return;
            const uint32_t level = t->GetNodeLevel(node);
            g_WMBusSlaveList.Locked([&](mbus::TWMBusMeters& meters) {
                if (row >= int(meters.size())) return;
                mbus::TSlave_wMBus& meter = *meters[size_t(row)];
                if (level == 0) meter.Enable = ticked(s);
                if (level == 1 && node->Index < meter.List_Var.size()) meter.List_Var[node->Index].Enable = ticked(s);
            });
        };
}
void TFScanDecode::Cancel_Device_List() {
    VST->Clear();
    g_MBusSlaveList.Clear();
    Index_Dev_MBus = -1;
}

void TFScanDecode::Show_Slave_in_Tree() {
    VST->Clear();
    // One top node per meter; its values and their details are made when first expanded.
    const int count = g_MBusSlaveList.Locked([&](mbus::TMBusMeters& meters) {
        for (auto& m : meters) m->Node = nullptr;
        return int(meters.size());
    });
    VST->SetRootNodeCount(uint32_t(count));
    Index_Dev_MBus = count - 1;
    L_Num_Slave->setText(QString::number(count));
}

bool TFScanDecode::Wired_Ticked(int meter, int variable) {
    PLazyNode node = g_MBusSlaveList.Locked([&](mbus::TMBusMeters& meters) -> PLazyNode {
        if (meter < 0 || meter >= int(meters.size())) return nullptr;
        return static_cast<PLazyNode>(meters[size_t(meter)]->Node);
    });
    if (!node) return true;
    if (variable >= 0) {
        PLazyNode child = node->FirstChild;
        for (int i = 0; child && i < variable; ++i) child = child->NextSibling;
        node = child;
        if (!node) return true;
    }
    // A node never shown still holds the tick it would be made with.
    if (!node->States.Contains(TLazyNodeState::vsInitialized)) return true;
    return ticked(node->CheckState);
}

void TFScanDecode::Show_Slave_in_Tree_Wireless(int index) {
    VST_Wireless->Clear();
    if (index < 0 || index >= g_WMBusSlaveList.Count()) return;
    VST_Wireless->SetRootNodeCount(1);
}
