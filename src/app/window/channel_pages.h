#pragma once

#include <QWidget>
#include <array>

#include "decode/record_store.h"
#include "limits/limit_check.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;

namespace kelvanor {

struct ChannelLabels;
struct RecordDisplay;
class ChangeMarks;

// The tab control with the two channel pages and the "debug" page, and the
// three controls of every channel: name button, value box and unit label.
// Channel 52's controls sit on `hiddenParent`, beyond the visible area.
class ChannelPages : public QObject {
    Q_OBJECT
public:
    ChannelPages(QWidget* window, QWidget* hiddenParent);

    QTabWidget* tabs() const { return m_tabs; }
    QPlainTextEdit* log() const { return m_log; }
    QRadioButton* nameButton(int c) const { return m_name[static_cast<std::size_t>(c)]; }
    QLineEdit* valueBox(int c) const { return m_value[static_cast<std::size_t>(c)]; }
    QLabel* unitLabel(int c) const { return m_unit[static_cast<std::size_t>(c)]; }

    // Mirrors the captions, the value texts and the highlight.
    void ShowLabels(const ChannelLabels& labels);
    void ShowValues(const RecordDisplay& display);
    void ShowHighlight(int channel);
    // The small marker on each box whose text changed with the last record.
    void ShowChangeMarks(const ChangeMarks& marks);
    QWidget* changeMark(int c) const { return m_mark[static_cast<std::size_t>(c)]; }
    // The health marks: a frame round the box (yellow dashed, red solid) and
    // a symbol in the gap left of it (up: above a high bound, down: below a
    // low one, diamond: a listed or unlisted code); nothing for None. The two
    // are made when a box is first marked (limitFrame and limitSymbol are
    // null until then), so a window without limits has none of them.
    void ShowLimitMarks(const LimitMarks& marks);
    QLabel* limitFrame(int c) const { return m_limitFrame[static_cast<std::size_t>(c)]; }
    QLabel* limitSymbol(int c) const { return m_limitSymbol[static_cast<std::size_t>(c)]; }
    // The channel of a value box, -1 for anything else.
    int ChannelOfValueBox(const QObject* object) const;

signals:
    void NameClicked(int channel);
    void ValueEdited(int channel, const QString& text);

private:
    QTabWidget* m_tabs;
    QPlainTextEdit* m_log;
    std::array<QRadioButton*, kChannelCount> m_name{};
    std::array<QLineEdit*, kChannelCount> m_value{};
    std::array<QLabel*, kChannelCount> m_unit{};
    std::array<QWidget*, kChannelCount> m_mark{};
    std::array<QLabel*, kChannelCount> m_limitFrame{};
    std::array<QLabel*, kChannelCount> m_limitSymbol{};
    LimitMarks m_limitShown{};
    int m_highlighted = -2;
};

}  // namespace kelvanor
