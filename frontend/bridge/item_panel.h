// The item panel: a bar of fields showing the current item's number, the item count, the mode
// and step texts and P1..P20, filled from the engine's ItemPanelRecord after every engine call.
#pragma once

#include <QWidget>
#include <array>

class QLabel;

class ItemPanel : public QWidget {
    Q_OBJECT

  public:
    explicit ItemPanel(QWidget* parent = nullptr);
    ~ItemPanel() override;

    // Fills the fields from core::ItemPanelRecord. With no current item the labels keep their
    // texts and the values are blank.
    void Update();

    // The fields, for tests and the frame: by the control numbers of the item bar.
    QString CountText() const;         // 1036
    QString ItemText() const;          // 1039
    QString ModeText() const;          // 1040
    QString StepText() const;          // 1692
    QString LabelText(int row) const;  // 0: 1041 " Item #", 1..10: 1042..1051
    QString ValueText(int p) const;    // P1..P20

  private:
    QLabel* count_ = nullptr;
    QLabel* item_ = nullptr;
    QLabel* mode_ = nullptr;
    QLabel* step_ = nullptr;
    std::array<QLabel*, 11> labels_{};
    std::array<QLabel*, 20> values_{};
};

namespace frontend {
// The panel that UpdateItemPanel fills (the last one made; null when none).
ItemPanel* ActiveItemPanel();
// Fills the active panel from core::ItemPanelRecord; nothing when there is no panel.
void UpdateItemPanel();
}  // namespace frontend
