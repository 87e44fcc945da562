// What the print setup dialogs share: the bounding-box unit scale, the way they show numbers,
// the file-name dialog (IDD 207) that Print Setup's Load and Save also ask with, and the makers
// of Print Setup (202) and the bounding box outline (217).
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "frontend/dialogs/engine_dialog.h"

class QLabel;
class QLineEdit;

namespace frontend {

// Display units (4000 an inch) per unit of the bounding-box fields; one value for both box
// dialogs, kept between openings.
extern float BoundingBoxUnitScale;
// The scale of a unit word: 0 inches 4000, 1 centimetres 4000 / 2.54, 2 points 4000 / 72.
// Any other word counts as inches.
float BoxUnitScaleOf(int32_t unit);

// A real word as a field shows it: printf format applied to the shortest decimal that reads
// back as the word, so 1.905 (which a float holds as 1.90499997) shows "1.91" with "%.2f".
QString ShowReal(const char* format, float v);
// The shortest decimal that reads back as v, as a double (1.905f gives 1.905).
double ShortestDecimal(float v);

// IDD 207, the file-name prompt. As the output file name dialog it edits the name in
// FrontEndCommandBuffer (with the whole path in FrontEndPathBuffer); as Print Setup's parameter
// file prompt it edits the print parameter file name.
class CParamFileNameDlg : public CEngineDialog {
  public:
    enum class Use { kOutputName, kParamFile };
    CParamFileNameDlg(Use use, QWidget* parent);

  private:
    void OnOk();
    Use use_;
    QLineEdit* name_ = nullptr;
};

std::unique_ptr<QDialog> MakePrintSetupDialog(QWidget* parent);
std::unique_ptr<QDialog> MakeBoundingBoxDialog(QWidget* parent);

}  // namespace frontend
