#include "window/info_window.h"

#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

namespace kelvanor {

const char* const kDisclaimer =
    "THE SOFTWARE IS PROVIDED \"AS IS\" AND THE AUTHOR DISCLAIMS ALL WARRANTIES WITH REGARD TO "
    "THIS SOFTWARE INCLUDING ALL IMPLIED WARRANTIES OF MERCHANTABILITY AND FITNESS. IN NO EVENT "
    "SHALL THE AUTHOR BE LIABLE FOR ANY SPECIAL, DIRECT, INDIRECT, OR CONSEQUENTIAL DAMAGES OR "
    "ANY DAMAGES WHATSOEVER RESULTING FROM LOSS OF USE, DATA OR PROFITS, WHETHER IN AN ACTION OF "
    "CONTRACT, NEGLIGENCE OR OTHER TORTIOUS ACTION, ARISING OUT OF OR IN CONNECTION WITH THE USE "
    "OR PERFORMANCE OF THIS SOFTWARE.";

QString VersionLine() {
    return QString("Version %1    (%2)").arg(kVersion, kReleaseDate);
}

namespace {

// A small cubesat with two solar wings over a curve of the Earth.
QPixmap SatellitePicture() {
    QPixmap pixmap(120, 90);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath earth;
    earth.addEllipse(QPointF(60, 190), 130, 115);
    p.fillPath(earth, QColor(70, 130, 200));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(200, 200, 205));
    p.drawRect(50, 22, 20, 20);
    p.setBrush(QColor(30, 60, 140));
    p.drawRect(14, 27, 32, 10);
    p.drawRect(74, 27, 32, 10);
    p.drawLine(46, 32, 50, 32);
    p.drawLine(70, 32, 74, 32);
    p.drawLine(60, 22, 60, 10);
    p.drawEllipse(QPointF(60, 9), 2, 2);
    p.setPen(QPen(QColor(230, 120, 30), 1, Qt::DashLine));
    p.drawArc(QRectF(40, 0, 60, 60), 30 * 16, 40 * 16);
    return pixmap;
}

}  // namespace

InfoWindow::InfoWindow() {
    setObjectName("Info");
    setWindowTitle("Info");
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto* frame = new QGroupBox(this);
    frame->setObjectName("Frame1");
    auto* layout = new QVBoxLayout(frame);

    auto* title = new QLabel("KELVANOR Telemetry Decoder");
    title->setObjectName("Label1");
    QFont titleFont("Sans Serif");
    titleFont.setPointSizeF(13.5);
    title->setFont(titleFont);
    layout->addWidget(title);

    auto* version = new QLabel(VersionLine());
    version->setObjectName("Label2");
    layout->addWidget(version);

    auto* image = new QLabel;
    image->setObjectName("Image1");
    image->setPixmap(SatellitePicture());
    layout->addWidget(image, 0, Qt::AlignHCenter);

    auto* authors = new QLabel("KELVANOR ground-station decoder developers\n"
                               "Reports and questions: through the project's issue tracker");
    authors->setObjectName("Label3");
    layout->addWidget(authors);

    auto* disclaimer = new QLabel(kDisclaimer);
    disclaimer->setObjectName("Label11");
    disclaimer->setWordWrap(true);
    QFont small("Arial");
    small.setPointSizeF(8.25);
    disclaimer->setFont(small);
    disclaimer->setStyleSheet("color: #808080;");
    layout->addWidget(disclaimer);

    // The disclaimer wraps at about 64 average characters; the label asks for
    // the height its whole text needs at that width in the font it has, and
    // the window takes the size its contents need on every opening.
    const int textWidth = disclaimer->fontMetrics().averageCharWidth() * 64;
    disclaimer->setFixedWidth(textWidth);
    disclaimer->setMinimumHeight(disclaimer->heightForWidth(textWidth));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void InfoWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelvanor
