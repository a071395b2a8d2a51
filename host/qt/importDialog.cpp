// Import dialog: the choices laid out as a form, read back as options.
#include "host/qt/importDialog.h"

#include "frontend/commands/importChoices.h"
#include "host/qt/tuneTools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

namespace korvel::qt {
namespace {

// A choice's words with its first letter as the keyboard accelerator.
QString accelerated(const char* label) {
    return QStringLiteral("&") + QString::fromUtf8(label);
}

} // namespace

QString importReportHtml(const ImportReport& report) {
    QString paragraphs, rows;
    for (const std::string& note : report.notes)
        paragraphs += QStringLiteral("<p>%1</p>").arg(QString::fromStdString(note).toHtmlEscaped());
    for (const formats::ReportRow& row : report.rows)
        rows += QStringLiteral("<tr valign=\"top\"><td>%1:&nbsp;&nbsp;</td><td>%2</td></tr>")
                    .arg(QString::fromStdString(row.label).toHtmlEscaped(),
                         QString::fromStdString(row.value).toHtmlEscaped());
    return QStringLiteral("%1<table>%2</table>").arg(paragraphs, rows);
}

ImportDialog::ImportDialog(const QString& fileName, std::vector<formats::VoiceChoice> voices,
                           QWidget* parent)
    : QDialog(parent), voices_(std::move(voices)), voice_(new QComboBox),
      automaticTranspose_(new QRadioButton(tr("&Automatic"))),
      givenTranspose_(new QRadioButton(tr("&By"))), semitones_(new QSpinBox),
      fit_(new QCheckBox(accelerated(fitChoiceLabel))),
      truncate_(new QCheckBox(accelerated(truncateChoiceLabel))) {
    // A recording has one voice: no choice of it.
    setWindowTitle(QString::fromLatin1(voices_.empty() ? recordingImportCaption : importCaption));
    voice_->setObjectName("voice");
    for (const formats::VoiceChoice& choice : voices_)
        voice_->addItem(QString::fromStdString(choice.label));

    automaticTranspose_->setObjectName("automaticTranspose");
    automaticTranspose_->setChecked(true);
    givenTranspose_->setObjectName("givenTranspose");
    semitones_->setObjectName("semitones");
    semitones_->setRange(-formats::maxTranspose, formats::maxTranspose);
    semitones_->setSuffix(tr(" semitones"));
    semitones_->setAccessibleName(tr("Semitones"));
    semitones_->setEnabled(false);
    connect(givenTranspose_, &QRadioButton::toggled, semitones_, &QWidget::setEnabled);
    auto* transpose = new QHBoxLayout;
    transpose->addWidget(automaticTranspose_);
    transpose->addWidget(givenTranspose_);
    transpose->addWidget(semitones_);
    transpose->addStretch();

    fit_->setObjectName("fit");
    truncate_->setObjectName("truncate");
    truncate_->setToolTip(tr("A tune too long for the memory keeps its longest opening that fits"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Import"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    auto* file = new QLabel(fileName);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(tr("File:"), file);
    form->addRow(tr("&Voice:"), voice_);
    form->addRow(tr("Transposition:"), transpose);
    form->addRow(fit_);
    form->addRow(truncate_);
    form->addRow(buttons);
    form->setRowVisible(voice_, !voices_.empty());
    setFixedSize(sizeHint());
}

formats::ImportOptions ImportDialog::options() const {
    formats::ImportOptions options;
    if (!voices_.empty()) {
        const formats::VoiceChoice& voice = voices_.at(size_t(voice_->currentIndex()));
        options.track = voice.track;
        options.channel = voice.channel;
    }
    if (!automaticTranspose_->isChecked()) options.transpose = semitones_->value();
    options.fit = fit_->isChecked();
    options.truncate = truncate_->isChecked();
    return options;
}

void ImportDialog::setOptions(const formats::ImportOptions& options) {
    const auto voice = std::find_if(voices_.begin(), voices_.end(), [&](const auto& choice) {
        return choice.track == options.track && choice.channel == options.channel;
    });
    if (voice != voices_.end()) voice_->setCurrentIndex(int(voice - voices_.begin()));
    (options.transpose ? givenTranspose_ : automaticTranspose_)->setChecked(true);
    if (options.transpose) semitones_->setValue(*options.transpose);
    fit_->setChecked(options.fit);
    truncate_->setChecked(options.truncate);
}

} // namespace korvel::qt
