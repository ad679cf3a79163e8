#include "print/frmprint.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/widgets.h"
#include "state/context.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace kemoro::print {

namespace {
constexpr int marginTw = 120;
constexpr int buttonWidthTw = 2400;
constexpr int buttonHeightTw = 450;

// Picture2's picture: the program's own emblem, a product and its two factors.
QImage emblem()
{
    QImage image(240, 160, QImage::Format_RGB32);
    image.fill(QColor(255, 250, 230));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 80, 40), 6));
    p.setBrush(QColor(255, 210, 120));
    p.drawRoundedRect(QRectF(8, 8, 224, 144), 24, 24);
    p.setPen(QColor(60, 40, 20));
    QFont font = ui::gothicFont(12);
    font.setPixelSize(56);
    p.setFont(font);
    p.drawText(QRectF(8, 8, 224, 144), Qt::AlignCenter, u"３×４"_s);
    return image;
}

// The document's name, as its button calls it: the proposed PDF file name.
QString documentTitle(int docType)
{
    switch (docType) {
    case PrintJob::SamplePage:
        return u"いろいろ表示"_s;
    case PrintJob::QuestionTable:
        return u"３列以上"_s;
    case PrintJob::LabelTest:
        return u"ラベルを配置"_s;
    case PrintJob::HundredSheet:
        return u"百問計算"_s;
    default:
        return u"ケモロ"_s;
    }
}
} // namespace

PreviewBox::PreviewBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    startPicture(QSizeF(ui::twipsPerPixel, ui::twipsPerPixel));
}

PreviewBox::~PreviewBox() = default;

ImageSurface &PreviewBox::startPicture(QSizeF twips)
{
    const QSize pixels(ui::px(int(std::lround(twips.width()))), ui::px(int(std::lround(twips.height()))));
    auto fresh = std::make_unique<ImageSurface>(pixels);
    // The fill settings belong to the picture box, not to its picture: a
    // resized box keeps them.
    if (m_surface) {
        fresh->setFillStyle(m_surface->fillStyle());
        fresh->setFillColour(m_surface->fillColour());
    }
    m_surface = std::move(fresh);
    setFixedSize(pixels);
    update();
    return *m_surface;
}

const QImage &PreviewBox::image() const
{
    return m_surface->image();
}

void PreviewBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface->image());
}

FrmPrint::FrmPrint(AppContext &context, PrintDesk *desk, bool testButtons, QWidget *parent)
    : QWidget(parent, Qt::Window), m_context(context), m_desk(desk), m_picture(emblem())
{
    setObjectName(u"frmPrint"_s);
    setWindowTitle(u"Quorvex"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    if (!m_desk) {
        m_ownDesk = std::make_unique<PrintDesk>();
        m_desk = m_ownDesk.get();
        // No questions: the rebuild draws no random numbers.
        SystemRandom unused(1);
        rebuildWorksheet(m_desk->sheet, {}, WorksheetChoice(), unused);
        m_desk->job.docType = PrintJob::SamplePage;
    }

    m_panel = ui::named(new QFrame(this), u"Picture5"_s);
    m_previewBox = ui::named(new PreviewBox(m_panel), u"Picture1"_s);
    m_previewBox->move(ui::px(marginTw), ui::px(marginTw));
    m_pictureBox = ui::named(new QLabel(m_panel), u"Picture2"_s);
    m_pictureBox->setPixmap(QPixmap::fromImage(m_picture));
    m_pictureBox->hide();

    m_cover = ui::named(new QFrame(m_panel), u"Picture4"_s);
    ui::setBackground(m_cover, QColor(255, 255, 255));
    auto *coverText = ui::named(new QLabel(u"印刷中　しばらくお待ちください"_s, m_cover), u"Label1"_s);
    coverText->setFont(ui::gothicFont(16));
    ui::placeTw(coverText, 600, 3000, 7000, 600);
    m_cover->hide();

    m_toPaper = ui::named(new QCheckBox(u"印刷"_s, m_panel), u"Check1"_s);
    m_toPaper->hide();
    m_portrait = ui::named(new QCheckBox(u"縦横"_s, m_panel), u"Check2"_s);
    m_portrait->setChecked(true);
    m_portrait->hide();
    connect(m_toPaper, &QCheckBox::toggled, this, [this] { initialiseOutput(); });
    // A new orientation clears the preview; the document comes back with the
    // next DrawCurrentDocument.
    connect(m_portrait, &QCheckBox::toggled, this, [this] { initialiseOutput(); });

    auto *initialise = ui::named(new QPushButton(u"初期化"_s, m_panel), u"Command1"_s);
    initialise->hide();
    connect(initialise, &QPushButton::clicked, this, &FrmPrint::initialiseOutput);
    auto *redraw = ui::named(new QPushButton(u"Command12"_s, m_panel), u"Command12"_s);
    redraw->hide();
    connect(redraw, &QPushButton::clicked, this, &FrmPrint::drawCurrentDocument);

    m_print = ui::named(new QPushButton(u"印刷"_s, m_panel), u"Command9"_s);
    connect(m_print, &QPushButton::clicked, this, &FrmPrint::printCurrentDocument);
    m_back = ui::named(new QPushButton(u"戻る"_s, m_panel), u"Command8"_s);
    connect(m_back, &QPushButton::clicked, this, &QWidget::close);

    struct TestButton
    {
        const char16_t *name;
        const char16_t *caption;
        int docType; // 0: inert, its sample file belongs to another course
    };
    static constexpr TestButton tests[] = {
        {u"Command5", u"いろいろ表示", PrintJob::SamplePage},
        {u"Command10", u"ラベルを配置", PrintJob::LabelTest},
        {u"Command11", u"３列以上", PrintJob::QuestionTable},
        {u"Command13", u"百問計算", PrintJob::HundredSheet},
        {u"Command4", u"空欄問題を並べる１", 0},
        {u"Command2", u"空欄問題を並べる２", 0},
        {u"Command7", u"関連図", 0},
    };
    for (const TestButton &t : tests) {
        auto *button =
            ui::named(new QPushButton(QString::fromUtf16(t.caption), m_panel), QString::fromUtf16(t.name));
        if (t.docType != 0) {
            const int doc = t.docType;
            connect(button, &QPushButton::clicked, this, [this, doc] { showTestPage(doc); });
        } else {
            button->setEnabled(false);
        }
        button->setVisible(testButtons);
        m_testButtons.append(button);
    }

    if (m_desk->job.autoFlag == 1) {
        m_print->hide();
        m_back->hide();
    }
    initialiseOutput();
}

FrmPrint::~FrmPrint() = default;

const QImage &FrmPrint::preview() const
{
    return m_previewBox->image();
}

void FrmPrint::layoutPanel()
{
    const QSize box = m_previewBox->size();
    const int left = box.width() + 2 * ui::px(marginTw);
    const int step = ui::px(buttonHeightTw + 90);
    m_print->setGeometry(left, ui::px(marginTw), ui::px(buttonWidthTw), ui::px(buttonHeightTw));
    m_back->setGeometry(left, ui::px(marginTw) + step, ui::px(buttonWidthTw), ui::px(buttonHeightTw));
    int top = ui::px(marginTw) + 3 * step;
    for (QPushButton *button : m_testButtons) {
        button->setGeometry(left, top, ui::px(buttonWidthTw), ui::px(buttonHeightTw));
        top += step;
    }
    const QSize whole(left + ui::px(buttonWidthTw + marginTw), box.height() + 2 * ui::px(marginTw));
    resize(whole);
    m_panel->setGeometry(QRect(QPoint(0, 0), whole));
    m_cover->setGeometry(QRect(m_previewBox->pos(), box));
}

void FrmPrint::initialiseOutput()
{
    const bool portrait = m_portrait->isChecked();
    if (m_toPaper->isChecked() && m_paper) {
        m_engine.initialise(*m_paper, PrintEngine::Output::Printer, portrait);
    } else {
        ImageSurface &box = m_previewBox->startPicture(PrintEngine::previewBoxSize(portrait));
        m_engine.initialise(box, PrintEngine::Output::Preview, portrait);
        layoutPanel();
    }
    m_engine.setPictureSource(&m_picture, m_picture.size());
}

void FrmPrint::drawCurrentDocument()
{
    // Drawing lets no window events run, so nothing can start a second
    // drawing; the guard only keeps a printer job's callbacks honest.
    if (m_drawing) return;
    m_drawing = true;
    const bool portrait = m_desk->job.orientation == 1;
    if (m_portrait->isChecked() != portrait) m_portrait->setChecked(portrait);
    switch (m_desk->job.docType) {
    case PrintJob::SamplePage:
        drawSamplePage(m_engine);
        break;
    case PrintJob::QuestionTable:
        drawQuestionTable(m_engine, m_desk->sheet);
        break;
    case PrintJob::LabelTest:
        drawLabelPage(m_engine);
        break;
    case PrintJob::HundredSheet:
        drawHundredSheet(m_engine, m_desk->sheet);
        break;
    default:
        break;
    }
    m_drawing = false;
    ++m_drawCount;
    m_previewBox->update();
}

void FrmPrint::printCurrentDocument()
{
    if (m_drawing) return;
    PrinterService &printers = *m_context.services.printers;
    // The service is the program's one; the other prints expect portrait
    // unless they say otherwise, so the job's orientation lasts for this job.
    const bool wasLandscape = printers.landscape();
    printers.setLandscape(m_desk->job.orientation != 1);
    PrintRequest request;
    request.documentName = u"ケモロ 印刷"_s;
    request.fileTitle = documentTitle(m_desk->job.docType);
    request.date = m_context.services.clock ? m_context.services.clock->today() : QDate();
    request.messages = m_context.services.messages;
    request.messageTitle = u"印刷"_s;
    const PrintOutcome outcome = printDocuments(printers, this, 1, request, [this](PrintSurface &paper, int) {
        m_paper = &paper;
        m_toPaper->setChecked(true);
        drawCurrentDocument();
        return true;
    });
    printers.setLandscape(wasLandscape);
    m_paper = nullptr;
    if (m_toPaper->isChecked())
        m_toPaper->setChecked(false);
    else
        initialiseOutput();
    if (outcome.kind == PrintOutcome::Kind::Failed && m_context.services.messages)
        m_context.services.messages->inform(this, u"印刷"_s, outcome.message);
    drawCurrentDocument();
}

void FrmPrint::showTestPage(int docType)
{
    m_desk->job.docType = docType;
    drawCurrentDocument();
}

void FrmPrint::activated()
{
    layoutPanel();
    const bool cover = m_desk->job.coverFlag == 1;
    m_cover->setVisible(cover);
    m_previewBox->setVisible(!cover);
    drawCurrentDocument();
    if (m_desk->job.autoFlag == 1) {
        m_print->hide();
        m_back->hide();
        printCurrentDocument();
        // Printed once: the window goes after this event.
        m_desk->job.autoFlag = 0;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void FrmPrint::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    activated();
}

void FrmPrint::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) activated();
}

} // namespace kemoro::print
