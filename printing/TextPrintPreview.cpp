#include "TextPrintPreview.h"

#include "Backends.h"
#include "Windows1252.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The wait cursor until the returned guard goes.
auto waitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard([] { QApplication::restoreOverrideCursor(); });
}

QString hint(const QString& text, const QString& keys) {
    return keys.isEmpty() ? text : text + QLatin1Char('\n') + keys;
}

QTextCharFormat charFormat(const PreviewFont& font) {
    QTextCharFormat format;
    format.setForeground(font.color);
    format.setFontFamilies({font.name});
    format.setFontPointSize(font.size);
    format.setFontWeight(font.style.testFlag(PreviewFontStyle::Bold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.style.testFlag(PreviewFontStyle::Italic));
    format.setFontUnderline(font.style.testFlag(PreviewFontStyle::Underline));
    format.setFontStrikeOut(font.style.testFlag(PreviewFontStyle::StrikeOut));
    return format;
}

} // namespace

TextPrintPreview::TextPrintPreview(QWidget* parent)
    : TextPrintPreview(TextPreviewDocument(), nullptr, parent) {}

TextPrintPreview::TextPrintPreview(TextPreviewDocument document, PreviewPrinting print,
                                   QWidget* parent)
    : QDialog(parent)
    , m_document(std::move(document))
    , m_print(std::move(print)) {
    setObjectName(QStringLiteral("Preview"));
    setWindowTitle(QStringLiteral("Visualizar impressão"));
    setWindowState(Qt::WindowMaximized);
    buildWindow();
    for (int page = 1; page <= pageCount(); ++page)
        cbxPages->addItem(QString::number(page));
}

void TextPrintPreview::showPreviewsOf(TextPrinterBase& printer) {
    printer.previewer = [](const TextPreviewDocument& document, const PreviewPrinting& print) {
        TextPrintPreview window(document, print);
        window.exec();
    };
}

void TextPrintPreview::buildWindow() {
    auto* toolBar = new QToolBar(this);
    QStyle* look = style();
    auto addAction = [&](QStyle::StandardPixmap icon, const QString& tip) {
        QAction* action = toolBar->addAction(look->standardIcon(icon), QString());
        action->setToolTip(tip);
        return action;
    };
    actPrint = addAction(QStyle::SP_FileDialogDetailedView, hint("Imprimir", "Alt + P"));
    actSave = addAction(QStyle::SP_DialogSaveButton, hint("Salvar para arquivo texto", "Alt + S"));
    actPdf = addAction(QStyle::SP_FileIcon, hint("Exportar para Adobe PDF", "Alt + E"));
    actEmail = addAction(QStyle::SP_DirLinkIcon, hint("Enviar e-mail", "Alt + M"));
    actPdf->setEnabled(false);
    actEmail->setEnabled(false);
    actEmail->setVisible(false);
    toolBar->addSeparator();
    actFirst =
        addAction(QStyle::SP_MediaSkipBackward, hint("Ir para a primeira página", "Ctrl + Home"));
    actPrior =
        addAction(QStyle::SP_MediaSeekBackward, hint("Ir para a página anterior", "Ctrl + PageUp"));
    actNext =
        addAction(QStyle::SP_MediaSeekForward, hint("Ir para a próxima página", "Ctrl + PageDown"));
    actLast = addAction(QStyle::SP_MediaSkipForward, hint("Ir para a última página", "Ctrl + End"));
    toolBar->addSeparator();
    cbxPages = new QComboBox(toolBar);
    cbxPages->setToolTip(QStringLiteral("Ir para a página..."));
    toolBar->addWidget(cbxPages);
    toolBar->addSeparator();
    actClose = addAction(QStyle::SP_DialogCloseButton, hint("Fechar visualização", "Alt + X"));

    connect(actPrint, &QAction::triggered, this, &TextPrintPreview::printDocument);
    connect(actSave, &QAction::triggered, this, &TextPrintPreview::saveDocument);
    connect(actFirst, &QAction::triggered, this, [this] { showPage(0); });
    connect(actPrior, &QAction::triggered, this, [this] {
        if (m_currentPage > 0)
            showPage(m_currentPage - 1);
    });
    connect(actNext, &QAction::triggered, this, [this] {
        if (m_currentPage < pageCount() - 1)
            showPage(m_currentPage + 1);
    });
    connect(actLast, &QAction::triggered, this, [this] { showPage(pageCount() - 1); });
    connect(cbxPages, &QComboBox::activated, this, &TextPrintPreview::showPage);
    connect(actClose, &QAction::triggered, this, &QDialog::close);

    auto* statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    lblStatus = new QLabel(statusBar);
    // 50 pixels, wider when the page numbers need it.
    lblStatus->setMinimumWidth(50);
    lblStatus->setAlignment(Qt::AlignCenter);
    statusBar->addWidget(lblStatus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(buildSheet(), 1);
    layout->addWidget(statusBar);
}

// A white sheet with a black frame and a 2-pixel shadow on the right and bottom.
QWidget* TextPrintPreview::buildSheet() {
    auto* desk = new QWidget(this);
    auto* shadow = new QFrame(desk);
    shadow->setObjectName(QStringLiteral("shadow"));
    shadow->setStyleSheet(QStringLiteral("#shadow { background: black; }"));
    auto* sheet = new QFrame(shadow);
    sheet->setObjectName(QStringLiteral("sheet"));
    sheet->setStyleSheet(QStringLiteral("#sheet { background: white; border: 1px solid black; }"));

    rePage = new QTextEdit(sheet);
    rePage->setReadOnly(true);
    rePage->setFrameShape(QFrame::NoFrame);
    rePage->setLineWrapMode(QTextEdit::NoWrap);
    rePage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rePage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(11);
    rePage->setFont(font);
    rePage->installEventFilter(this);

    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(8, 8, 0, 0);
    sheetLayout->addWidget(rePage);
    auto* shadowLayout = new QVBoxLayout(shadow);
    shadowLayout->setContentsMargins(0, 0, 2, 2);
    shadowLayout->addWidget(sheet);
    auto* deskLayout = new QVBoxLayout(desk);
    deskLayout->addWidget(shadow);
    return desk;
}

void TextPrintPreview::showPage(int index) {
    if (index < 0 || index >= pageCount())
        return;
    const auto wait = waitCursor();
    rePage->hide();
    rePage->setPlainText(windows1252::decode(m_document.pages()[size_t(index)].stream));
    m_currentPage = index;
    QTextCursor cursor(rePage->document());
    for (const PreviewTextBlock& block : m_document.blocks()) {
        if (block.page != index + 1 || block.isLineEnd)
            continue;
        cursor.setPosition(block.start);
        cursor.setPosition(block.start + block.len, QTextCursor::KeepAnchor);
        cursor.setCharFormat(charFormat(block.font));
    }
    rePage->moveCursor(QTextCursor::Start);
    rePage->show();
    actFirst->setEnabled(index > 0);
    actPrior->setEnabled(index > 0);
    actNext->setEnabled(index < pageCount() - 1);
    actLast->setEnabled(index < pageCount() - 1);
    lblStatus->setText(QStringLiteral("Página %1 de %2").arg(index + 1).arg(pageCount()));
    cbxPages->setCurrentIndex(index);
}

void TextPrintPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (pageCount() > 0)
        showPage(0);
    rePage->setFocus();
}

// The printer reports its failures through onError and TextPrinterError; here they end in a box,
// because an exception must not cross the event loop.
void TextPrintPreview::printDocument() {
    try {
        if (m_print)
            m_print(m_document);
    } catch (const TextPrinterError& error) {
        platform::showMessage({QStringLiteral("Erro"), error.message(),
                               platform::MessageIcon::Error, platform::MessageButtons::Ok});
    }
}

void TextPrintPreview::saveDocument() {
    QFileDialog dialog(this, QStringLiteral("Salvar"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Documento de texto (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const QString fileName = platform::backends().runSaveDialog(dialog);
    if (fileName.isEmpty())
        return;
    const auto wait = waitCursor();
    if (!saveToFile(fileName))
        platform::showMessage({QStringLiteral("Erro"),
                               QStringLiteral("Não foi possível salvar o arquivo %1").arg(fileName),
                               platform::MessageIcon::Error, platform::MessageButtons::Ok});
}

bool TextPrintPreview::saveToFile(const QString& fileName) const {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (const PreviewPage& page : m_document.pages())
        if (file.write(page.saveStream) != page.saveStream.size())
            return false;
    return file.flush();
}

void TextPrintPreview::askToClose() {
    const int answer = platform::showMessage(
        {QStringLiteral("Confirmação"), QStringLiteral("Fechar visualização?"),
         platform::MessageIcon::Question, platform::MessageButtons::YesNo});
    if (answer == platform::IdYes)
        close();
}

bool TextPrintPreview::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        askToClose();
        return true;
    }
    if (modifiers == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_PageUp:
            actPrior->trigger();
            return true;
        case Qt::Key_PageDown:
            actNext->trigger();
            return true;
        case Qt::Key_End:
            actLast->trigger();
            return true;
        case Qt::Key_Home:
            actFirst->trigger();
            return true;
        default:
            return false;
        }
    }
    if (modifiers == Qt::AltModifier) {
        switch (event->key()) {
        case Qt::Key_P:
            printDocument();
            return true;
        case Qt::Key_S:
            saveDocument();
            return true;
        case Qt::Key_X:
            close();
            return true;
        default:
            return false;
        }
    }
    return false;
}

void TextPrintPreview::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event))
        QDialog::keyPressEvent(event);
}

// The window sees the keys before the page box does.
bool TextPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rePage && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}
