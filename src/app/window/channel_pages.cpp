#include "window/channel_pages.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include "channels/change_marks.h"
#include "channels/channel_table.h"
#include "channels/presentation.h"
#include "window/twips.h"

namespace kelvanor {

namespace {

const char* kButtonStyle = "background-color: rgb(240, 240, 240);";
const char* kValueWhite = "QLineEdit { background: white; padding: 0px; border: 1px solid gray; }";
const char* kValueHighlight =
    "QLineEdit { background: rgb(255, 255, 192); padding: 0px; border: 1px solid gray; }";

// The room a value box's text has: inside the 1-pixel border and the line
// edit's 2-pixel margins.
int TextRoom(const QLineEdit* box) { return box->width() - 2 - 4; }

// The boxes keep their size; a text wider than its box is drawn narrower
// (the condensed face) and, if need be, smaller, so that it is read whole
// and never silently cut.
void FitValueText(QLineEdit* box) {
    QFont font = box->parentWidget()->font();
    const int room = TextRoom(box);
    const QString text = box->text();
    if (QFontMetricsF(font).horizontalAdvance(text) > room) {
        font.setStretch(QFont::Condensed);
        for (double size = font.pointSizeF(); size > 2.0; size -= 0.25) {
            font.setPointSizeF(size);
            if (QFontMetricsF(font).horizontalAdvance(text) <= room) break;
        }
    }
    if (box->font() != font) box->setFont(font);
}

}  // namespace

ChannelPages::ChannelPages(QWidget* window, QWidget* hiddenParent) : QObject(window) {
    m_tabs = new QTabWidget(window);
    m_tabs->setObjectName("SSTab1");
    m_tabs->setGeometry(TwipRect(120, 480, 10455, 5415));
    QWidget* pages[3];
    for (int p = 0; p < 3; ++p) {
        pages[p] = new QWidget;
        m_tabs->addTab(pages[p], QString::fromUtf8(kPageCaptions[p].data(),
                                                   static_cast<int>(kPageCaptions[p].size())));
    }
    m_tabs->setCurrentIndex(0);
    // Positions count from the tab control's top-left corner, headers
    // included; the pages begin below the headers.
    const int headerHeight = m_tabs->tabBar()->sizeHint().height() + 2;

    for (const ChannelInfo& info : ChannelTable()) {
        const int c = info.number;
        const ChannelGeometry g = GeometryOf(c);
        QWidget* parent = g.onTabPage ? pages[info.page - 1] : hiddenParent;
        const int dy = g.onTabPage ? -headerHeight : 0;

        auto* name = new QRadioButton("Option1", parent);
        name->setObjectName(QString("Option1_%1").arg(c));
        name->setAutoExclusive(false);
        name->setGeometry(Px(g.nameLeft), Px(g.top) + dy, Px(kNameButtonWidth), Px(kNameButtonHeight));
        name->setStyleSheet(kButtonStyle);
        connect(name, &QRadioButton::clicked, this, [this, c] { emit NameClicked(c); });

        auto* value = new QLineEdit(parent);
        value->setObjectName(QString("Text1_%1").arg(c));
        value->setGeometry(Px(g.valueLeft), Px(g.top) + dy, Px(kValueBoxWidth), Px(kValueBoxHeight));
        value->setStyleSheet(kValueWhite);
        connect(value, &QLineEdit::textChanged, value, [value] { FitValueText(value); });
        connect(value, &QLineEdit::textEdited, this,
                [this, c](const QString& text) { emit ValueEdited(c, text); });

        auto* unit = new QLabel(parent);
        unit->setObjectName(QString("Label1_%1").arg(c));
        unit->setGeometry(Px(g.unitLeft), Px(g.top) + dy, Px(kUnitLabelWidth), Px(kUnitLabelHeight));
        unit->setStyleSheet(kButtonStyle);

        m_name[static_cast<std::size_t>(c)] = name;
        m_value[static_cast<std::size_t>(c)] = value;
        // A thin strip along the box's bottom edge, under the text.
        auto* mark = new QFrame(value);
        mark->setObjectName(QString("ChangeMark_%1").arg(c));
        mark->setGeometry(2, value->height() - 3, value->width() - 4, 2);
        mark->setStyleSheet("background-color: rgb(235, 130, 30); border: none;");
        mark->setToolTip("changed since the record shown before");
        mark->hide();
        m_mark[static_cast<std::size_t>(c)] = mark;
        m_unit[static_cast<std::size_t>(c)] = unit;
    }

    m_log = new QPlainTextEdit(pages[2]);
    m_log->setObjectName("Text5");
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(60000);  // oldest lines go first in a long live run
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setGeometry(Px(120), Px(480) - headerHeight, Px(10215), Px(4815));
}

void ChannelPages::ShowLabels(const ChannelLabels& labels) {
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const QString name = QString::fromLatin1(labels.name[i]);
        if (m_name[i]->text() != name) m_name[i]->setText(name);
        const QString unit = QString::fromLatin1(labels.unit[i]);
        if (m_unit[i]->text() != unit) m_unit[i]->setText(unit);
    }
}

void ChannelPages::ShowValues(const RecordDisplay& display) {
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const QString text = QString::fromLatin1(display.value[i]);
        if (m_value[i]->text() != text) {
            m_value[i]->setText(text);
            m_value[i]->setCursorPosition(0);
        }
    }
}

void ChannelPages::ShowChangeMarks(const ChangeMarks& marks) {
    for (int c = 0; c < kChannelCount; ++c) {
        QWidget* mark = m_mark[static_cast<std::size_t>(c)];
        if (mark->isVisibleTo(mark->parentWidget()) != marks.Marked(c)) mark->setVisible(marks.Marked(c));
    }
}

void ChannelPages::ShowLimitMarks(const LimitMarks& marks) {
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const LimitMark& m = marks[i];
        if (m.level == m_limitShown[i].level && m.bound == m_limitShown[i].bound) continue;
        m_limitShown[i] = m;
        QLabel*& frame = m_limitFrame[i];
        QLabel*& symbol = m_limitSymbol[i];
        if (frame == nullptr) {
            if (m.level == LimitLevel::None) continue;
            // Made when first needed: a frame over the box's own border and a
            // symbol in the gap between the name button and the box.
            QLineEdit* value = m_value[i];
            frame = new QLabel(value);
            frame->setObjectName(QString("LimitFrame_%1").arg(c));
            frame->setGeometry(value->rect());
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            symbol = new QLabel(value->parentWidget());
            symbol->setObjectName(QString("LimitSymbol_%1").arg(c));
            const ChannelGeometry g = GeometryOf(c);
            const int gap = Px(g.valueLeft - g.nameLeft - kNameButtonWidth);
            symbol->setGeometry(value->x() - gap, value->y(), gap, value->height());
            symbol->setAlignment(Qt::AlignCenter);
            symbol->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        if (m.level == LimitLevel::None) {
            frame->hide();
            symbol->hide();
            continue;
        }
        const bool red = m.level == LimitLevel::Red;
        const char* colour = red ? "rgb(210, 0, 0)" : "rgb(215, 145, 0)";
        frame->setStyleSheet(QString("QLabel { background: transparent; border: 2px %1 %2; }")
                                 .arg(red ? "solid" : "dashed", colour));
        const bool high = m.bound == LimitBound::RedHigh || m.bound == LimitBound::YellowHigh;
        const bool low = m.bound == LimitBound::RedLow || m.bound == LimitBound::YellowLow;
        symbol->setText(high  ? QString::fromUtf8("\u25B2")
                        : low ? QString::fromUtf8("\u25BC")
                              : QString::fromUtf8("\u25C6"));
        symbol->setStyleSheet(QString("QLabel { color: %1; }").arg(colour));
        QFont font = symbol->font();
        font.setPixelSize(std::max(5, symbol->width() + 1));
        symbol->setFont(font);
        frame->show();
        symbol->show();
        m_mark[i]->raise();  // the change mark stays readable over the frame
    }
}

int ChannelPages::ChannelOfValueBox(const QObject* object) const {
    for (int c = 0; c < kChannelCount; ++c) {
        if (m_value[static_cast<std::size_t>(c)] == object) return c;
    }
    return -1;
}

void ChannelPages::ShowHighlight(int channel) {
    // The name buttons every time: a click on the set button clears it.
    for (int c = 0; c < kChannelCount; ++c)
        m_name[static_cast<std::size_t>(c)]->setChecked(c == channel);
    if (channel == m_highlighted) return;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const bool on = c == channel;
        if (on || c == m_highlighted || m_highlighted == -2) {
            m_value[i]->setStyleSheet(on ? kValueHighlight : kValueWhite);
        }
    }
    m_highlighted = channel;
}

}  // namespace kelvanor
