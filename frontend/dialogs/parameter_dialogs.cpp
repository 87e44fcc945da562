// The parameter editors: ten parameters of the current item at a time, each row its stored value
// beside a field for the new one, and a free line for the item's text.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/bridge/console_bridge.h"
#include "engine/core/tables.h"
#include "frontend/bridge/display_lists.h"
#include "frontend/dialogs/engine_dialog.h"

namespace frontend {

namespace {

enum class NewValue { Read, NoNumber, Refused };

// A new value's field read to its end (blanks around it allowed): NoNumber when it does not
// begin with a number (the word is kept); Refused when it does but has more in it, or its
// value is no real the item can hold (infinite, not a number, beyond about 3.4E38, or a
// nonzero value that would become 0).
NewValue read_new_value(const QString& text, float& value) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty()) return NewValue::NoNumber;
    float probe = 0.0f;
    if (std::sscanf(s.c_str(), "%f", &probe) != 1) return NewValue::NoNumber;
    char* end = nullptr;
    const double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(d)) return NewValue::Refused;
    if (std::fabs(d) >= std::ldexp(1.0, 128) - std::ldexp(1.0, 103)) return NewValue::Refused;
    value = static_cast<float>(d);
    return d != 0.0 && value == 0.0f ? NewValue::Refused : NewValue::Read;
}

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
        reply_ = new QLabel(this);
        reply_->setObjectName(QStringLiteral("reply"));
        layout->addWidget(reply_);
        auto* row = new QHBoxLayout;
        row->addStretch();
        auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), 1);
        ok->setDefault(true);
        row->addWidget(ok);
        layout->addLayout(row);
        connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    }

  private:
    // Every new value is read whole before any is taken: a field that cannot be is named and
    // the page stays open with nothing changed.
    void OnOk() {
        std::array<float, 10> values{};
        std::array<bool, 10> read{};
        for (int k = 0; k < 10; ++k) {
            const NewValue r = read_new_value(new_[k]->text(), values[k]);
            if (r == NewValue::Refused) {
                reply_->setText(QStringLiteral("Not a number the item can hold: ") +
                                new_[k]->text().trimmed());
                new_[k]->setFocus();
                new_[k]->selectAll();
                return;
            }
            read[k] = r == NewValue::Read;
        }
        for (int k = 0; k < 10; ++k)
            if (read[k]) SetReal(ExchangeBlock::B, 10 + k, values[k]);
        // Only the start of MessageLine is written: what follows the NUL stays.
        std::string line = ToCp1252(free_->text());
        if (line.size() > static_cast<std::size_t>(kFreeChars)) line.resize(kFreeChars);
        std::string whole(core::MessageLine.view());
        whole.replace(0, line.size() + 1, line + '\0');
        core::set_exchange_text(whole);
        End(1);
    }

    std::array<QLineEdit*, 10> new_{};
    QLineEdit* free_ = nullptr;
    QLabel* reply_ = nullptr;
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
