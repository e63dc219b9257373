#include "window/archive_range_dialog.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kelvanor {

namespace {

QDateTimeEdit* UtcEdit(QWidget* parent, const QString& name) {
    auto* edit = new QDateTimeEdit(parent);
    edit->setObjectName(name);
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    edit->setCalendarPopup(true);
    return edit;
}

}  // namespace

ArchiveRangeDialog::ArchiveRangeDialog(const std::optional<std::pair<qint64, qint64>>& lastPass,
                                       QWidget* parent)
    : QDialog(parent), m_from(UtcEdit(this, "ArchiveFrom")), m_to(UtcEdit(this, "ArchiveTo")) {
    setObjectName("ArchiveRange");
    setWindowTitle("Open Archive Range");
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(
        "The beacons received in this time range (UTC), at most the newest 10000:", this));
    form->addRow("From (UTC):", m_from);
    form->addRow("To (UTC):", m_to);
    auto* quick = new QHBoxLayout;
    auto* pass = new QPushButton("Last pass", this);
    pass->setEnabled(lastPass.has_value());
    connect(pass, &QPushButton::clicked, this, [this, lastPass] {
        m_from->setDateTime(QDateTime::fromMSecsSinceEpoch(lastPass->first, Qt::UTC));
        // The editor shows whole seconds: the end is the second after the last beacon.
        m_to->setDateTime(
            QDateTime::fromMSecsSinceEpoch((lastPass->second + 999) / 1000 * 1000, Qt::UTC));
    });
    quick->addWidget(pass);
    for (const auto& [text, hours] :
         {std::pair{"24 hours", 24}, {"7 days", 7 * 24}, {"30 days", 30 * 24}}) {
        auto* button = new QPushButton(text, this);
        connect(button, &QPushButton::clicked, this, [this, h = hours] { ChooseLast(h); });
        quick->addWidget(button);
    }
    form->addRow("Quick choice:", quick);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    if (lastPass) {
        pass->click();
    } else {
        ChooseLast(24);
    }
}

void ArchiveRangeDialog::ChooseLast(int hours) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime end = QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() + 1, Qt::UTC);
    m_to->setDateTime(end);
    m_from->setDateTime(end.addSecs(-3600LL * hours));
}

qint64 ArchiveRangeDialog::FromMs() const { return m_from->dateTime().toMSecsSinceEpoch(); }
qint64 ArchiveRangeDialog::ToMs() const { return m_to->dateTime().toMSecsSinceEpoch(); }

bool DialogRangeChooser::ChooseRange(const std::optional<std::pair<qint64, qint64>>& lastPass,
                                     qint64& fromMs, qint64& toMs) {
    ArchiveRangeDialog dialog(lastPass, m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    fromMs = dialog.FromMs();
    toMs = dialog.ToMs();
    return true;
}

}  // namespace kelvanor
