#pragma once

#include "print/printdesk.h"
#include "print/printengine.h"

#include <QImage>
#include <QWidget>

#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

namespace kemoro {

struct AppContext;
class ImageSurface;

namespace print {

// Picture1: the preview box. It keeps what was drawn, as a picture box does.
class PreviewBox : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewBox(QWidget *parent);
    ~PreviewBox() override;
    // A fresh white picture of `twips`.
    ImageSurface &startPicture(QSizeF twips);
    ImageSurface &surface() { return *m_surface; }
    const QImage &image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<ImageSurface> m_surface;
};

// frmPrint ("Quorvex"): the print preview. It draws the job's document into
// the preview box and, on "印刷", once more onto paper (or into a PDF file
// when the computer has no printer), then again into the preview.
class FrmPrint : public QWidget
{
    Q_OBJECT
public:
    // `desk` is the print selection screen's; without one the window keeps
    // its own (the test pages need no worksheet). `testButtons` shows the
    // row of test page buttons.
    FrmPrint(AppContext &context, PrintDesk *desk, bool testButtons, QWidget *parent = nullptr);
    ~FrmPrint() override;

    // InitialiseOutput (Command1).
    void initialiseOutput();
    // DrawCurrentDocument (Command12): the job's document on the current output.
    void drawCurrentDocument();
    // PrintCurrentDocument (Command9 "印刷").
    void printCurrentDocument();
    // A test button: its page becomes the job's document and is drawn.
    void showTestPage(int docType);

    PrintEngine &engine() { return m_engine; }
    PrintDesk &desk() { return *m_desk; }
    const QImage &preview() const;
    // How many times the preview was drawn; the tests see redraws by it.
    int drawCount() const { return m_drawCount; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void activated();
    void layoutPanel();

    AppContext &m_context;
    std::unique_ptr<PrintDesk> m_ownDesk;
    PrintDesk *m_desk;
    PrintEngine m_engine;
    PrintSurface *m_paper = nullptr; // the job being printed, while it is
    QImage m_picture;                // Picture2's picture
    bool m_drawing = false;
    int m_drawCount = 0;

    QFrame *m_panel;
    PreviewBox *m_previewBox;
    QLabel *m_pictureBox;
    QFrame *m_cover;
    QCheckBox *m_toPaper;
    QCheckBox *m_portrait;
    QPushButton *m_print;
    QPushButton *m_back;
    QList<QPushButton *> m_testButtons;
};

} // namespace print
} // namespace kemoro
