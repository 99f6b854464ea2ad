#pragma once

// LabTIN, the label that shows the eTIN. The eTIN can be selected with the
// mouse and copied through the label's context menu, but the label never
// takes the focus: a click on it neither leaves the date field nor hides
// which control has the focus, and screen readers meet a plain label whose
// name is the eTIN.

#include <QLabel>

namespace kennfix {

class EtinLabel : public QLabel {
    Q_OBJECT
public:
    explicit EtinLabel(QWidget* parent = nullptr);

    // What "Kopieren" puts on the clipboard: the selected part, or the whole
    // eTIN when nothing is selected.
    QString textToCopy() const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace kennfix
