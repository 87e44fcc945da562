// The list dialogs: the symbol library, the path list and the music directory chooser. Each
// works on block A of the exchange area as its launcher leaves it; Cancel (the base) hands the
// block back as it came.
#include "frontend/dialogs/list_dialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "engine/core/store/symbol_list.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"
#include "output/tables.h"

namespace frontend {

std::vector<std::string>& MusDirEntries() {
    static std::vector<std::string> entries;
    return entries;
}

namespace {

constexpr int kOk = 1;
constexpr std::size_t kPathChars = 47;  // a slot's field less its closing NUL
// A list file that never ends (a device) must not hold the dialog forever.
constexpr int kMostSymbols = 10000;

// The row selected in a single-choice list, -1 when none is (the current row alone is not a
// choice: it follows the focus).
int selected_row(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.front());
}

// The family's shared OK and Cancel row; gives OK back for its handler.
class CListFamilyDlg : public CEngineDialog {
  public:
    using CEngineDialog::CEngineDialog;

  protected:
    QPushButton* AddButtons(QVBoxLayout* layout, const QString& cancel_label) {
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
        ok->setAutoDefault(false);
        ok->setDefault(true);
        auto* cancel = Named(new QPushButton(cancel_label, this), 2);
        cancel->setAutoDefault(false);
        row->addWidget(ok);
        row->addWidget(cancel);
        layout->addLayout(row);
        connect(cancel, &QPushButton::clicked, this, &CListFamilyDlg::reject);
        return ok;
    }
};

// -- Symbol Library ----------------------------------------------------------------------------

// The lines of the symbol list, in file order, as open_symbol_list hands them over one at a
// time in FrontEndCommandBuffer. OK leaves the selected line's position (from 0) in A 0, -1
// when none is selected (an unreadable list shows nothing).
class CSymbolLibraryDlg : public CListFamilyDlg {
  public:
    explicit CSymbolLibraryDlg(QWidget* parent)
        : CListFamilyDlg(223, QStringLiteral("Symbol Library"), parent) {
        auto* layout = new QVBoxLayout(this);
        list_ = Named(new QListWidget(this), 1634);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setMinimumWidth(360);
        int32_t state = 0;
        for (int n = 0; n < kMostSymbols; ++n) {
            core::open_symbol_list(state);
            if (state > 0) break;
            list_->addItem(FromCp1252(core::FrontEndCommandBuffer.c_text()));
        }
        layout->addWidget(list_);
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this, [this] {
            A(0) = selected_row(list_);
            End(kOk);
        });
    }

  private:
    QListWidget* list_;
};

// -- Path List ---------------------------------------------------------------------------------

// Radio and edit of each slot 1..9, in slot order.
constexpr std::array<int, 9> kSlotRadios = {1002, 1003, 1005, 1006, 1004, 1007, 1008, 1009, 1010};
constexpr std::array<int, 9> kSlotEdits = {1739, 1743, 1740, 1741, 1742, 1737, 1738, 1744, 1745};

// The nine folder slots and the current folder of PathSlots. OK leaves the radios' check
// states in A 1-9 and the chosen slot in A 0 (as it came when none is checked), and the slots
// as edited, each cut to 47 characters. The current folder is shown only.
class CPathListDlg : public CListFamilyDlg {
  public:
    explicit CPathListDlg(QWidget* parent)
        : CListFamilyDlg(275, QStringLiteral("Path List"), parent) {
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* current =
            Named(new QLineEdit(FromCp1252(output::PathSlots.current.c_text()), this), 1746);
        current->setReadOnly(true);
        current->setMinimumWidth(360);
        form->addRow(QStringLiteral("Current Path"), current);
        layout->addLayout(form);
        auto* grid = new QGridLayout;
        for (int k = 0; k < 9; ++k) {
            radios_[k] = Named(new QRadioButton(QString::number(k + 1), this), kSlotRadios[k]);
            edits_[k] =
                Named(new QLineEdit(FromCp1252(output::PathSlots.folders(k + 1).c_text()), this),
                      kSlotEdits[k]);
            grid->addWidget(radios_[k], k, 0);
            grid->addWidget(edits_[k], k, 1);
        }
        layout->addLayout(grid);
        connect(AddButtons(layout, QStringLiteral("&Cancel")), &QPushButton::clicked, this,
                [this] { OnOk(); });
    }

  private:
    void OnOk() {
        for (int k = 0; k < 9; ++k) {
            A(k + 1) = radios_[k]->isChecked() ? 1 : 0;
            if (radios_[k]->isChecked()) A(0) = k + 1;
            std::string typed = ToCp1252(edits_[k]->text());
            if (typed.size() > kPathChars) typed.resize(kPathChars);
            output::PathSlots.folders(k + 1).set(typed);
        }
        End(kOk);
    }
    std::array<QRadioButton*, 9> radios_{};
    std::array<QLineEdit*, 9> edits_{};
};

// -- MusDir ------------------------------------------------------------------------------------

// The music directory's names (MusDirEntries) in the list and the combo box, which follow each
// other. OK leaves the chosen name's number (from 1) in A 0, 0 when none is chosen.
class CMusDirDlg : public CListFamilyDlg {
  public:
    explicit CMusDirDlg(QWidget* parent) : CListFamilyDlg(218, QStringLiteral("MusDir"), parent) {
        auto* layout = new QVBoxLayout(this);
        combo_ = Named(new QComboBox(this), 1605);
        list_ = Named(new QListWidget(this), 1144);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        for (const std::string& name : MusDirEntries()) {
            combo_->addItem(FromCp1252(name));
            list_->addItem(FromCp1252(name));
        }
        combo_->setCurrentIndex(-1);
        layout->addWidget(combo_);
        layout->addWidget(list_);
        connect(combo_, &QComboBox::activated, this, [this](int row) {
            list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        });
        connect(list_, &QListWidget::itemSelectionChanged, this,
                [this] { combo_->setCurrentIndex(selected_row(list_)); });
        connect(AddButtons(layout, QStringLiteral("Cancel")), &QPushButton::clicked, this, [this] {
            A(0) = selected_row(list_) + 1;
            End(kOk);
        });
    }

  private:
    QComboBox* combo_;
    QListWidget* list_;
};

}  // namespace

void RegisterListDialogs() {
    RegisterDialogClass({223,
                         QStringLiteral("Symbol Library"),
                         [](QWidget* p) { return std::make_unique<CSymbolLibraryDlg>(p); },
                         {1634, 1, 2}});
    std::vector<int> path = {1746, 1, 2};
    path.insert(path.end(), kSlotRadios.begin(), kSlotRadios.end());
    path.insert(path.end(), kSlotEdits.begin(), kSlotEdits.end());
    RegisterDialogClass({275, QStringLiteral("Path List"),
                         [](QWidget* p) { return std::make_unique<CPathListDlg>(p); }, path});
    RegisterDialogClass({218,
                         QStringLiteral("MusDir"),
                         [](QWidget* p) { return std::make_unique<CMusDirDlg>(p); },
                         {1605, 1144, 1, 2}});
}

}  // namespace frontend
