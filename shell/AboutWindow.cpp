#include "AboutWindow.h"

#include "Messages.h"
#include "Pictures.h"
#include "WindowLook.h"

#include <QLabel>
#include <QMouseEvent>

namespace {

QLabel* textAt(QWidget* parent, const QString& text, int x, int y, int width, const QFont& font,
               const QColor& color = Qt::black) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->move(x, y);
    if (width > 0) {
        label->setFixedWidth(width);
    } else {
        label->adjustSize();
    }
    return label;
}

const QColor maroon = colorFromBgr(0x000080);
const QColor red = colorFromBgr(0x0000FF);

} // namespace

AboutWindow::AboutWindow(Connection& palendra, QWidget* owner)
    : ModalWindow(owner) {
    setWindowTitle(QStringLiteral("Sobre"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(414, 211);
    setClosedByEscape(false); // closed by its picture, its close box or its system menu
    setFont(arialFont(8));

    picture = new QLabel(this);
    picture->setPixmap(::picture(QStringLiteral("sobre.jpg")));
    picture->setGeometry(0, 0, 415, 211);
    picture->installEventFilter(this);

    const QFont normal = arialFont(8);
    const QFont bold = arialFont(8, true);
    versionCaption = textAt(this, QStringLiteral("Versão: 9.04"), 125, 57, 0, arialFont(10));
    licenceCaption = textAt(this, QStringLiteral("Licenciado para:"), 10, 83, 0, bold);
    gymName = textAt(this, QString(), 37, 104, 368, bold);
    address = textAt(this, QString(), 10, 123, 388, normal);
    // The gym's data have their rows to themselves, wide enough for the columns' longest values.
    complement = textAt(this, QString(), 10, 143, 388, normal);
    taxIdCaption = textAt(this, QStringLiteral("CNPJ"), 10, 164, 0, bold);
    taxId = textAt(this, QString(), 41, 164, 357, normal);
    buildSupportBlock();

    settings.setConnection(&palendra);
    settings.setTableName(QStringLiteral("Secvar"));
    settings.setDeclaredColumns({QStringLiteral("ACADEMIA"), QStringLiteral("ENDERACADEMIA"),
                                 QStringLiteral("COMPLEMENTO1"), QStringLiteral("CNPJCPF")});
}

void AboutWindow::buildSupportBlock() {
    // A column at the upper right, each line below the one before, above the gym's data: the
    // web site and e-mail, then the days and the hours, which end at the right edge.
    const QFont contact = arialFont(9);
    const QFont hours = arialFont(10);
    const auto below = [](const QLabel* label) {
        return label->y() + label->height();
    };
    QLabel* site =
        textAt(this, QStringLiteral("www.terminalse.com.br"), 262, 6, 0, contact, maroon);
    QLabel* mail =
        textAt(this, QStringLiteral("sac@terminalse.com.br"), 262, below(site), 0, contact, maroon);
    QLabel* days =
        textAt(this, QStringLiteral("Segunda à Sexta "), 262, below(mail), 0, hours, red);
    QLabel* times = textAt(this, QStringLiteral("09:00 às 12:00 e 13:00 às 18:00"), 0, below(days),
                           0, hours, red);
    times->move(width() - 8 - times->width(), times->y());
    const QPixmap phone = ::picture(QStringLiteral("telefone.png"));
    const int bottom = 188;
    for (const auto& [x, number] : {std::pair{160, QStringLiteral("(31) 3555-0190")},
                                    std::pair{290, QStringLiteral("(31) 3555-0191")}}) {
        auto* icon = new QLabel(this);
        icon->setPixmap(phone);
        icon->setGeometry(x, bottom - 2, 19, 19);
        textAt(this, number, x + 22, bottom, 0, arialFont(9, true));
    }
}

void AboutWindow::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void AboutWindow::firstShown() {
    openTableOrSay(settings, QStringLiteral("SACONTROLE.DB"));
    showSettings();
}

void AboutWindow::showSettings() {
    const bool row = settings.isOpen() && !settings.eof();
    const auto text = [&](const char* column) {
        return row ? settings.fieldText(QString::fromLatin1(column)) : QString();
    };
    gymName->setText(text("ACADEMIA"));
    address->setText(text("ENDERACADEMIA"));
    complement->setText(text("COMPLEMENTO1"));
    taxId->setText(text("CNPJCPF"));
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return ModalWindow::eventFilter(watched, event);
}

void AboutWindow::done(int result) {
    settings.close();
    ModalWindow::done(result);
}
