// The stand-in for an engine dialog that has no window of its own yet.
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/bridge/dialog_launchers.h"
#include "frontend/bridge/display_lists.h"

namespace frontend {

// Contract: shows the dialog's title and detail with OK disabled; Cancel and the close box
// answer request.cancel_result. Unattended or with no application object it answers the same
// at once.
int RunStandInDialog(const DialogRequest& request) {
    if (DialogsUnattended() || QCoreApplication::instance() == nullptr) {
        return request.cancel_result;
    }
    QDialog dialog;
    const QString title = FromCp1252(request.title);
    dialog.setWindowTitle(title);
    dialog.setObjectName(QStringLiteral("StandInDialog"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        QStringLiteral("%1 (dialog %2) is not available yet.").arg(title).arg(request.idd),
        &dialog));
    if (!request.detail.empty()) {
        auto* detail = new QLabel(FromCp1252(request.detail), &dialog);
        detail->setWordWrap(true);
        layout->addWidget(detail);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
    return request.cancel_result;
}

}  // namespace frontend
