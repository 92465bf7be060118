// The About and find-a-converter dialogs, laid out at their fixed positions.
#include "ui/link_dialogs.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "settings/program_identity.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/links.h"
#include "ui/ui_text.h"

namespace orvex {

namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, int w, int h,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, h);
    label->setAlignment(alignment);
    return label;
}

// A link in pure blue that opens its target with the desktop's program.
QLabel* MakeLink(QWidget* parent, const QString& shown, const std::string& target, int x,
                 int y) {
    auto* link = MakeLabel(parent, QString(), x, y, 215, 20);
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>")
                      .arg(QString::fromStdString(target).toHtmlEscaped(), shown.toHtmlEscaped()));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setOpenExternalLinks(false);
    QObject::connect(link, &QLabel::linkActivated, link,
                     [](const QString& href) { OpenTarget(ToUtf8(href)); });
    return link;
}

// The banner across the top: a dark-to-light band with the program's name.
QPixmap BannerPicture(int width, int height) {
    QPixmap picture(width, height);
    QPainter painter(&picture);
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0.0, QColor(0x1B, 0x2A, 0x49));
    band.setColorAt(0.6, QColor(0x2E, 0x6F, 0x95));
    band.setColorAt(1.0, QColor(0xF2, 0xA6, 0x3B));
    painter.fillRect(picture.rect(), band);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawEllipse(QPointF(width - 40, height / 2.0), 26, 26);
    painter.setBrush(QColor(255, 255, 255, 110));
    painter.drawEllipse(QPointF(width - 40, height / 2.0), 13, 13);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(height / 2);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(12, 0, width - 24, height), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(kProductTitle));
    return picture;
}

// Opens `dialog` modal to `owner` without a loop of its own; when it closes
// the owner gets the focus back.
template <typename Dialog>
Dialog* OpenOn(QWidget* owner, Dialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (owner != nullptr) {
        QObject::connect(dialog, &QDialog::finished, owner, [owner](int) {
            owner->activateWindow();
            owner->setFocus();
        });
    }
    dialog->open();
    dialog->activateWindow();
    return dialog;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner, const TextTable& texts) : QDialog(owner) {
    setWindowTitle(UiText(texts, "About", "Title"));
    setFixedSize(360, 240);

    banner = MakeLabel(this, QString(), 0, 0, 360, 40);
    banner->setPixmap(BannerPicture(360, 40));
    auto* frame = new QFrame(this);
    frame->setGeometry(0, 40, 360, 150);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setForegroundRole(QPalette::Mid);

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    nameLabel = MakeLabel(this, QString::fromUtf8(kProductTitle), 20, 50, 320, 20, centred);
    noticeLabel = MakeLabel(this, QString::fromUtf8(kNoticeLine), 20, 70, 320, 20, centred);
    webLabel = MakeLabel(this, UiText(texts, "About", "Website"), 80, 100, 60, 20);
    mailLabel = MakeLabel(this, UiText(texts, "About", "Email"), 80, 120, 50, 20);
    webLink = MakeLink(this, QString::fromStdString(WebSiteUrl()), WebSiteUrl(), 140, 100);
    mailLink = MakeLink(this, QString::fromUtf8(kSupportEmail), SupportMailLink(), 140, 120);

    // Enter (the default button) and Escape (reject) both close the dialog.
    okButton = new QPushButton(UiText(texts, "Dialog", "OK"), this);
    okButton->setGeometry(140, 200, 80, 25);
    okButton->setDefault(true);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

FindConverterDialog::FindConverterDialog(QWidget* owner, const TextTable& texts,
                                         DesktopDialogs& dialogs)
    : QDialog(owner), m_texts(texts), m_dialogs(dialogs) {
    setWindowTitle(UiText(texts, "Custom-Converter", "Title"));
    setFixedSize(370, 60);

    MakeLabel(this, UiText(texts, "Custom-Converter", "From"), 10, 23, 40, 20);
    fromField = new QLineEdit(this);
    fromField->setObjectName(QStringLiteral("from"));
    fromField->setGeometry(50, 20, 80, 20);
    MakeLabel(this, UiText(texts, "Custom-Converter", "To"), 150, 23, 30, 20);
    toField = new QLineEdit(this);
    toField->setObjectName(QStringLiteral("to"));
    toField->setGeometry(180, 20, 80, 20);

    // Enter in either field presses the default button; Escape rejects.
    searchButton = new QPushButton(UiText(texts, "Custom-Converter", "Search"), this);
    searchButton->setGeometry(280, 18, 80, 25);
    searchButton->setDefault(true);
    connect(searchButton, &QPushButton::clicked, this, &FindConverterDialog::Search);
    fromField->setFocus();
}

QString FindConverterDialog::CleanExtension(const QString& text) {
    const QString cut = text.toLower().left(12);
    QString kept;
    for (QChar c : cut) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
            kept.append(c);
    }
    return kept;
}

void FindConverterDialog::Search() {
    const QString from = CleanExtension(fromField->text());
    const QString to = CleanExtension(toField->text());
    if (from.isEmpty() || to.isEmpty()) {
        m_dialogs.Warning(this, UiText(m_texts, "Msg", "Warning"),
                          UiText(m_texts, "Msg", "Empty extensions"));
        return;
    }
    hide();
    OpenTarget(FindConverterUrl(ToUtf8(from), ToUtf8(to)));
    accept();
}

AboutDialog* ShowAboutDialog(QWidget* owner, const TextTable& texts) {
    return OpenOn(owner, new AboutDialog(owner, texts));
}

FindConverterDialog* ShowFindConverterDialog(QWidget* owner, const TextTable& texts,
                                             DesktopDialogs& dialogs) {
    auto* dialog = OpenOn(owner, new FindConverterDialog(owner, texts, dialogs));
    dialog->fromField->setFocus();
    return dialog;
}

}  // namespace orvex
