// The selection and layout prompts among the small engine dialogs: item-code selection, the
// height of the page image and the recent-file list.
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/store/symbol_list.h"
#include "engine/core/tables.h"
#include "frontend/dialogs/input_dialogs.h"

namespace frontend {

void RegisterPromptDialogs();

namespace {

constexpr int kHistoryEntries = 40;

QHBoxLayout* ok_cancel_row(QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

// -- 220 "Select Code Numbers." -----------------------------------------------------------------

// The sixteen item codes that can be chosen (11 and 13 cannot) and their boxes.
constexpr std::array<std::pair<int, int>, 16> kCodeBoxes = {{{1, 1554},
                                                             {2, 1561},
                                                             {3, 1556},
                                                             {4, 1557},
                                                             {5, 1558},
                                                             {6, 1559},
                                                             {7, 1560},
                                                             {8, 1555},
                                                             {9, 1562},
                                                             {10, 1563},
                                                             {12, 1565},
                                                             {14, 1567},
                                                             {15, 1568},
                                                             {16, 1569},
                                                             {17, 1564},
                                                             {18, 1566}}};

// MessageLine (what the codes are chosen for) above the boxes. "ALL" gives every box the state
// of SelectCodesMode (1 ticked) and toggles the mode. OK: block A begins with the chosen code
// numbers in ascending order followed by zeros (words 0-35 cleared first; the list also stays
// from word 18 on), ends 1.
class CSelectCodesDlg : public CEngineDialog {
  public:
    explicit CSelectCodesDlg(QWidget* parent)
        : CEngineDialog(220, QStringLiteral("Select Code Numbers."), parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Named(new QLabel(ShownLine(core::MessageLine), this), 1714));
        auto* grid = new QGridLayout;
        for (std::size_t i = 0; i < kCodeBoxes.size(); ++i) {
            const auto [code, id] = kCodeBoxes[i];
            boxes_[i] = Named(new QCheckBox(QStringLiteral("Code %1").arg(code), this), id);
            grid->addWidget(boxes_[i], static_cast<int>(i % 8), static_cast<int>(i / 8));
        }
        layout->addLayout(grid);
        QPushButton* all = ControlButton(this, 3, QStringLiteral("ALL"));
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        auto* row = ok_cancel_row(ok, cancel);
        row->insertWidget(0, all);
        layout->addLayout(row);
        connect(all, &QPushButton::clicked, this, [this] {
            int32_t& mode = DialogExchangeBlocks.SelectCodesMode;
            for (QCheckBox* b : boxes_) b->setChecked(mode == 1);
            mode = mode == 1 ? 0 : 1;
        });
        connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

  private:
    void OnOk() {
        for (int k = 0; k <= 35; ++k) A(k) = 0;
        for (std::size_t i = 0; i < kCodeBoxes.size(); ++i) {
            A(kCodeBoxes[i].first - 1) = boxes_[i]->isChecked() ? 1 : 0;
        }
        int next = 18;
        for (int code = 1; code <= 18; ++code) {
            if (code != 11 && code != 13 && A(code - 1) == 1) A(next++) = code;
        }
        for (int k = 0; k < 18; ++k) A(k) = A(18 + k);
        End(1);
    }

    std::array<QCheckBox*, 16> boxes_{};
};

// -- 197 "Height of page image." ------------------------------------------------------------------

// B 0 the current height, B 1 the new one, B 3 the unit (0.0 inches, 1.0 centimetres, 2.0
// points). OK: the staves in each group into MessageLine, the new height into B 1 (kept when
// the field holds no number), ends 1.
class CPageImageHeightDlg : public CEngineDialog {
  public:
    explicit CPageImageHeightDlg(QWidget* parent)
        : CEngineDialog(197, QStringLiteral("Height of page image."), parent) {
        auto* layout = new QVBoxLayout(this);
        const float unit = Real(ExchangeBlock::B, 3);
        const QString unit_name = unit == 1.0f   ? QStringLiteral("Centimeters")
                                  : unit == 2.0f ? QStringLiteral("Points")
                                                 : QStringLiteral("Inches");
        layout->addWidget(Named(new QLabel(unit_name, this), 1124));
        auto* form = new QFormLayout;
        auto* current = Named(new QLineEdit(FormatReal(Real(ExchangeBlock::B, 0)), this), 1000);
        current->setReadOnly(true);
        auto* height = Named(new QLineEdit(FormatReal(Real(ExchangeBlock::B, 1)), this), 1001);
        height->setMaxLength(31);
        auto* groups = Named(new QLineEdit(QStringLiteral("1"), this), 1123);
        groups->setMaxLength(511);
        form->addRow(QStringLiteral("Current height ="), current);
        form->addRow(QStringLiteral("New height ="), height);
        form->addRow(QStringLiteral("Staves in each group"), groups);
        layout->addLayout(form);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(ok_cancel_row(ok, cancel));
        connect(ok, &QPushButton::clicked, this, [this, height, groups] {
            StoreAnswerLine(groups->text());
            float v = Real(ExchangeBlock::B, 1);
            if (ReadReal(height->text(), v)) SetReal(ExchangeBlock::B, 1, v);
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
};

// -- 286 "Recent Files" ---------------------------------------------------------------------------

// The forty history entries, fetched one by one through MessageLine (which is put back after).
// OK: A 0 = the chosen line's number (1..40), 0 when none is chosen; ends 1.
class CRecentFilesDlg : public CEngineDialog {
  public:
    explicit CRecentFilesDlg(QWidget* parent)
        : CEngineDialog(286, QStringLiteral("Recent Files"), parent) {
        auto* layout = new QVBoxLayout(this);
        list_ = Named(new QListWidget(this), 1722);
        list_->setMinimumWidth(480);
        const core::FixedText<512> kept = core::MessageLine;
        for (int i = 1; i <= kHistoryEntries; ++i) {
            core::fetch_history_entry(i);
            list_->addItem(ShownLine(core::MessageLine));
        }
        core::set_exchange_text(kept.view());
        list_->setCurrentRow(-1);
        layout->addWidget(list_);
        QPushButton* ok = ControlButton(this, 1, QStringLiteral("OK"));
        QPushButton* cancel = ControlButton(this, 2, QStringLiteral("Cancel"));
        layout->addLayout(ok_cancel_row(ok, cancel));
        connect(ok, &QPushButton::clicked, this, [this] {
            const auto chosen = list_->selectedItems();
            A(0) = chosen.isEmpty() ? 0 : list_->row(chosen.first()) + 1;
            End(1);
        });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

  private:
    QListWidget* list_ = nullptr;
};

template <typename D>
void add(int idd, const QString& title, std::vector<int> controls) {
    RegisterDialogClass(
        {idd, title, [](QWidget* p) { return std::make_unique<D>(p); }, std::move(controls)});
}

}  // namespace

void RegisterPromptDialogs() {
    std::vector<int> codes{1714, 3, 1};
    for (const auto& [code, id] : kCodeBoxes) codes.push_back(id);
    add<CSelectCodesDlg>(220, QStringLiteral("Select Code Numbers."), codes);
    add<CPageImageHeightDlg>(197, QStringLiteral("Height of page image."),
                             {1124, 1123, 1001, 1000, 1});
    add<CRecentFilesDlg>(286, QStringLiteral("Recent Files"), {1722, 1});
}

}  // namespace frontend
