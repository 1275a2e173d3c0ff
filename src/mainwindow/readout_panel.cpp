#include "mainwindow/readout_panel.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextDocument>
#include <QToolTip>

#include "mainwindow/main_window.h"
#include "widgets/qt_colour.h"

using namespace tintora;

namespace {

// The "LUT:" caption's tooltip: the ramp's status, then the display
// profile's, each broken at spaces into lines of at most 360 pixels in the
// tooltip's font, so that it stands beside the caption rather than running
// across the readouts. The text as it is: Qt takes a text that looks like
// HTML (a profile's description may) for rich text, so that one is escaped.
QString lutCaptionToolTip(const std::string& rampStatus, const std::string& profileStatus)
{
    constexpr int Width = 360;
    const QFontMetrics metrics(QToolTip::font());
    QStringList lines;
    for (const std::string* status : {&rampStatus, &profileStatus}) {
        QString line;
        for (const QString& word : QString::fromStdString(*status).split(u' ')) {
            const QString longer = line.isEmpty() ? word : line + u' ' + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > Width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    const QString text = lines.join(u'\n');
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

} // namespace

ReadoutPanel::ReadoutPanel(MainWindow& window, MainWindowUi& ui, std::string decimalSeparator)
    : m_window(window), m_ui(ui), m_decimalSeparator(std::move(decimalSeparator))
{
    m_ui.bitmapRedLabel = makeLabel(kMissingLevelText, 32, 47);
    m_ui.bitmapGreenLabel = makeLabel(kMissingLevelText, 32, 66);
    m_ui.bitmapBlueLabel = makeLabel(kMissingLevelText, 32, 85);
    m_ui.redCaption = makeLabel("R:", 10, 48);
    m_ui.greenCaption = makeLabel("G:", 10, 66);
    m_ui.blueCaption = makeLabel("B:", 10, 85);
    m_ui.lutRedLabel = makeLabel(kMissingLevelText, 70, 48);
    m_ui.lutGreenLabel = makeLabel(kMissingLevelText, 70, 66);
    m_ui.lutBlueLabel = makeLabel(kMissingLevelText, 70, 85);
    m_ui.bitmapCaption = makeLabel("Bitmap:", 10, 29);
    m_ui.lutCaption = makeLabel("LUT:", 70, 28);

    m_ui.swatch = new Swatch(&m_window);
    m_ui.swatch->setFrameShape(QFrame::NoFrame);
    m_ui.swatch->setAutoFillBackground(true);
    m_ui.swatch->setGeometry(142, 47, 51, 51);
    QObject::connect(m_ui.swatch, &Swatch::clicked, &m_window, &MainWindow::inspectFrozenColour);

    m_ui.hexColourLabel = makeLabel(kMissingHashText, 142, 28);

    m_ui.columnSeparator = new ColumnSeparator(&m_window);
    m_ui.columnSeparator->setGeometry(63, 28, 3, 74);
}

QLabel* ReadoutPanel::makeLabel(const char* text, int left, int top)
{
    auto* label = new QLabel(QString::fromUtf8(text), &m_window);
    label->move(left, top);
    label->adjustSize();
    // A label ignores presses: they go on to the window, which drags itself.
    return label;
}

void ReadoutPanel::setLabelText(QLabel* label, const std::string& text)
{
    // Compared in place: most ticks change no text, and then nothing is
    // converted or allocated.
    if (QAnyStringView::equal(label->text(), QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())))) return;
    label->setText(QString::fromStdString(text));
    label->adjustSize();
}

void ReadoutPanel::showStatus(const Sample& s)
{
    if (s.changed.rampStatus || s.changed.profileStatus)
        m_ui.lutCaption->setToolTip(lutCaptionToolTip(s.rampStatus, s.profileStatus));
}

void ReadoutPanel::showSample(const Sample& s, ReadoutFormat format,
                              const std::function<void(const ReadoutTexts&)>& trace)
{
    // A resting pointer in an unchanged format: nothing to write.
    if (!s.changed.readouts() && m_readoutFormat == format) return;
    m_readoutFormat = format;
    const ReadoutTexts t = readoutTexts(s, format, m_decimalSeparator);
    setLabelText(m_ui.bitmapRedLabel, t.bitmap[0]);
    setLabelText(m_ui.bitmapGreenLabel, t.bitmap[1]);
    setLabelText(m_ui.bitmapBlueLabel, t.bitmap[2]);
    setLabelText(m_ui.lutRedLabel, t.lut[0]);
    setLabelText(m_ui.lutGreenLabel, t.lut[1]);
    setLabelText(m_ui.lutBlueLabel, t.lut[2]);
    if (s.changed.bitmap) {
        // Without a pixel the swatch shows no colour: the window's own.
        QPalette p = m_ui.swatch->palette();
        p.setColor(QPalette::Window, s.bitmap ? toQColor(*s.bitmap) : m_window.palette().color(QPalette::Window));
        m_ui.swatch->setPalette(p);
    }
    setLabelText(m_ui.hexColourLabel, t.hash);
    if (trace) {
        std::string all = t.hash;
        for (int c = 0; c < 3; ++c) all += '|' + t.bitmap[c] + '|' + t.lut[c];
        if (all != m_lastTrace) {
            m_lastTrace = std::move(all);
            trace(t);
        }
    }
}
