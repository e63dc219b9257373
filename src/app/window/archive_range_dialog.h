#pragma once

#include <QDialog>

#include "window/interfaces.h"

class QDateTimeEdit;
class QPushButton;

namespace kelvanor {

// "Open Archive Range": a UTC time range, from and to, with quick choices
// for the last pass, 24 hours, 7 days and 30 days.
class ArchiveRangeDialog final : public QDialog {
    Q_OBJECT
public:
    ArchiveRangeDialog(const std::optional<std::pair<qint64, qint64>>& lastPass, QWidget* parent);
    qint64 FromMs() const;
    qint64 ToMs() const;
    // Sets the range to the last `hours` up to now.
    void ChooseLast(int hours);

private:
    QDateTimeEdit* m_from;
    QDateTimeEdit* m_to;
};

// The real dialog, modal.
class DialogRangeChooser final : public RangeChooser {
public:
    explicit DialogRangeChooser(QWidget* parent) : m_parent(parent) {}
    bool ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass, qint64& fromMs,
                     qint64& toMs) override;

private:
    QWidget* m_parent;
};

}  // namespace kelvanor
