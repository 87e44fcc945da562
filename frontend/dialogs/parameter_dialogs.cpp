// The parameter editors: ten parameters of the current item at a time, each row its stored value
// beside a field for the new one, and a free line for the item's text.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <string>

#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

constexpr std::array<int, 10> kCurrentIds = {1637, 1638, 1639, 1640, 1641,
                                             1642, 1643, 1644, 1645, 1646};
constexpr std::array<int, 10> kNewIds = {1656, 1647, 1648, 1655, 1650,
                                         1651, 1652, 1653, 1654, 1649};
constexpr int kFreeId = 1657;
constexpr int kNumberChars = 31;  // a new value's field
constexpr int kFreeChars = 47;    // the free line, less its closing NUL

// One page of ten parameters, P(first) to P(first + 9). Block B words 0-9 hold the stored values
// and 10-19 the new ones as reals; OK reads the ten new-value fields back into words 10-19 (a
// field that does not begin with a number keeps its word) and puts the free line, NUL-ended,
// at the start of MessageLine; the other words of the block are never touched.
class CParamEditDlg : public CEngineDialog {
  public:
    CParamEditDlg(int idd, const QString& title, int first, QWidget* parent)
        : CEngineDialog(idd, title, parent) {
        auto* layout = new QVBoxLayout(this);
        auto* grid = new QGridLayout;
        grid->addWidget(new QLabel(QStringLiteral("Original values:"), this), 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("New values:"), this), 0, 2);
        for (int k = 0; k < 10; ++k) {
            grid->addWidget(new QLabel(QStringLiteral("P%1").arg(first + k), this), k + 1, 0);
            auto* current =
                Named(new QLineEdit(FormatReal("%8.3f", Real(ExchangeBlock::B, k)), this),
                      kCurrentIds[k]);
            grid->addWidget(current, k + 1, 1);
            new_[k] =
                Named(new QLineEdit(FormatReal("%8.3f", Real(ExchangeBlock::B, 10 + k)), this),
                      kNewIds[k]);
            new_[k]->setMaxLength(kNumberChars);
            grid->addWidget(new_[k], k + 1, 2);
        }
        layout->addLayout(grid);
        free_ = Named(new QLineEdit(this), kFreeId);
        free_->setMaxLength(kFreeChars);
        layout->addWidget(free_);
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
        ok->setDefault(true);
        row->addWidget(ok);
        layout->addLayout(row);
        connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    }

  private:
    void OnOk() {
        for (int k = 0; k < 10; ++k) {
            float v = Real(ExchangeBlock::B, 10 + k);
            if (ReadReal(new_[k]->text(), v)) SetReal(ExchangeBlock::B, 10 + k, v);
        }
        std::string line = ToCp1252(free_->text());
        if (line.size() > static_cast<std::size_t>(kFreeChars)) line.resize(kFreeChars);
        core::MessageLine.put(1, static_cast<int>(line.size()), line);
        core::MessageLine(static_cast<int>(line.size()) + 1) = '\0';
        End(1);
    }

    std::array<QLineEdit*, 10> new_{};
    QLineEdit* free_ = nullptr;
};

void register_page(int idd, const QString& title, int first) {
    std::vector<int> controls(kCurrentIds.begin(), kCurrentIds.end());
    controls.insert(controls.end(), kNewIds.begin(), kNewIds.end());
    controls.push_back(kFreeId);
    controls.push_back(1);
    RegisterDialogClass({idd, title,
                         [idd, title, first](QWidget* p) {
                             return std::make_unique<CParamEditDlg>(idd, title, first, p);
                         },
                         controls});
}

}  // namespace

void RegisterParameterDialogs() {
    register_page(225, QStringLiteral("P1 - 10"), 1);
    register_page(226, QStringLiteral("P11- 20"), 11);
    register_page(205, QStringLiteral("P21 - 30"), 21);
}

}  // namespace frontend
