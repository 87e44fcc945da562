#include "frontend/bridge/item_panel.h"

#include <QGridLayout>
#include <QLabel>

#include "console/item_panel_text.h"
#include "engine/core/store/item_panel_record.h"
#include "frontend/bridge/display_lists.h"

namespace {
ItemPanel* g_panel = nullptr;

QLabel* make_field(QWidget* parent, int min_chars) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * min_chars);
    return label;
}
}  // namespace

// Ten rows, each "label  Pn  Pn+10", under a head row of the count, item, mode and step texts.
ItemPanel::ItemPanel(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    labels_[0] = new QLabel(this);
    count_ = make_field(this, 9);
    grid->addWidget(labels_[0], 0, 0);
    grid->addWidget(count_, 0, 1, 1, 2);
    item_ = make_field(this, 16);
    mode_ = make_field(this, 16);
    step_ = make_field(this, 12);
    grid->addWidget(item_, 1, 0, 1, 3);
    grid->addWidget(mode_, 2, 0, 1, 3);
    grid->addWidget(step_, 3, 0, 1, 3);
    for (int row = 1; row <= 10; ++row) {
        labels_[static_cast<std::size_t>(row)] = new QLabel(this);
        values_[static_cast<std::size_t>(row - 1)] = make_field(this, 9);
        values_[static_cast<std::size_t>(row + 9)] = make_field(this, 9);
        grid->addWidget(labels_[static_cast<std::size_t>(row)], row + 3, 0);
        grid->addWidget(values_[static_cast<std::size_t>(row - 1)], row + 3, 1);
        grid->addWidget(values_[static_cast<std::size_t>(row + 9)], row + 3, 2);
    }
    g_panel = this;
}

ItemPanel::~ItemPanel() {
    if (g_panel == this) g_panel = nullptr;
}

void ItemPanel::Update() {
    const ItemPanelText text = format_item_panel(core::ItemPanelRecord);
    count_->setText(QString::fromLatin1(text.count.c_str()));
    item_->setText(frontend::FromCp1252(text.item_text));
    mode_->setText(frontend::FromCp1252(text.mode_text));
    step_->setText(frontend::FromCp1252(text.step_text));
    if (text.has_item) {
        for (std::size_t i = 0; i < labels_.size(); ++i) {
            labels_[i]->setText(QString::fromLatin1(kItemPanelLabels[i]));
        }
    }
    for (std::size_t i = 0; i < values_.size(); ++i) {
        values_[i]->setText(QString::fromLatin1(text.values[i].c_str()));
    }
}

QString ItemPanel::CountText() const { return count_->text(); }
QString ItemPanel::ItemText() const { return item_->text(); }
QString ItemPanel::ModeText() const { return mode_->text(); }
QString ItemPanel::StepText() const { return step_->text(); }
QString ItemPanel::LabelText(int row) const {
    return row >= 0 && row < static_cast<int>(labels_.size())
               ? labels_[static_cast<std::size_t>(row)]->text()
               : QString();
}
QString ItemPanel::ValueText(int p) const {
    return p >= 1 && p <= static_cast<int>(values_.size())
               ? values_[static_cast<std::size_t>(p - 1)]->text()
               : QString();
}

namespace frontend {

ItemPanel* ActiveItemPanel() { return g_panel; }

void UpdateItemPanel() {
    if (g_panel != nullptr) g_panel->Update();
}

}  // namespace frontend
