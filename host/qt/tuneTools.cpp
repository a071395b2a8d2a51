// Tune tools: examples, MIDI files read, exports written.
#include "host/qt/tuneTools.h"

#include "files/fileRead.h"
#include "formats/tuneConvert.h"
#include "formats/tuneExport.h"
#include "formats/tuneWave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

namespace korvel::qt {

const char* const importCaption = "Import MIDI";
const char* const exportWaveCaption = "Export Audio (WAV)";
const char* const exportMidiCaption = "Export MIDI";

namespace {

// The folder of the examples in the program's resources.
const char* const examplesFolder = ":/examples";
// As korvel-cli reads a script's first line: at most this many bytes of it.
constexpr qsizetype headBytes = 255;

// A message's reason as the system gives one: a capital first, no full stop
// (messageText adds it).
std::string asReason(std::string text) {
    if (!text.empty()) text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string asSentence(const std::string& text) {
    return text.empty() ? text : asReason(text) + ".";
}

FileResult withCaption(FileResult result, const char* caption) {
    result.caption = caption;
    return result;
}

} // namespace

files::Path filePath(const QString& path) {
    return {QFileInfo(path).filesystemFilePath().native(), path.toStdString()};
}

QList<Example> builtInExamples() {
    QList<Example> examples;
    const QDir folder(QString::fromLatin1(examplesFolder));
    for (const QString& fileName : folder.entryList(QDir::Files)) {
        QFile file(folder.filePath(fileName));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray script = file.readAll();
        const TuneName name = nameOfScript(script, nameOfFile(fileName));
        examples.append({QString::fromStdString(name.title), fileName, script});
    }
    std::sort(examples.begin(), examples.end(), [](const Example& a, const Example& b) {
        return a.title.localeAwareCompare(b.title) < 0;
    });
    return examples;
}

TuneName untitledTune() {
    return {formats::untitledTuneTitle, QStringLiteral("tune")};
}

TuneName nameOfFile(const QString& path) {
    const QString stem =
        QString::fromStdU16String(QFileInfo(path).filesystemFilePath().stem().u16string());
    return {stem.toStdString(), stem};
}

TuneName nameOfScript(const QByteArray& script, const TuneName& fallback) {
    QByteArray head = script.left(headBytes);
    const qsizetype lineEnd = head.indexOf('\n');
    if (lineEnd >= 0) head.truncate(lineEnd + 1);
    const qsizetype zero = head.indexOf('\0');
    if (zero >= 0) head.truncate(zero);
    return {formats::titleOfScript(head.toStdString(), fallback.title), fallback.fileStem};
}

TuneName nameOfScriptFile(const QString& path) {
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(headBytes) : QByteArray();
    return nameOfScript(head, nameOfFile(path));
}

MidiFileRead readMidiFile(const QString& path) {
    MidiFileRead read{{FileOutcome::Done, {}, importCaption}, {}, {}};
    const files::Path file = filePath(path);
    const files::ReadResult got =
        files::readFileBytes(file, formats::maxMidiBytes, files::ReadUntil::End, read.bytes);
    if (!got) {
        const std::string tooLarge = "The file is larger than " +
                                     std::to_string(formats::maxMidiBytes >> 20) +
                                     " MiB, more than a tune for the kit could come from";
        read.result =
            withCaption(cantOpen(file.shown, got.tooLarge ? tooLarge : got.reason), importCaption);
        return read;
    }
    const formats::MidiRead parsed = formats::readMidi(read.bytes, read.song);
    if (!parsed.ok)
        read.result = withCaption(cantOpen(file.shown, asReason(parsed.error)), importCaption);
    return read;
}

FileResult cantImport(const QString& path, const std::string& reason) {
    return {FileOutcome::NotScript, "Can't Import : " + path.toStdString(), importCaption,
            asReason(reason)};
}

TuneExport TuneExport::wave(const KitState& live) {
    TuneExport made;
    const KitState kit = formats::tuneKitOf(live);
    const formats::WavePlan plan = formats::planWave(kit, formats::RunLimit::pass());
    made.fault_ = asSentence(plan.fault);
    made.question_ =
        formats::endlessTuneQuestion(plan.run, "WAV", formats::waveFileBytes(plan.run));
    made.writer_ = [kit, samples = plan.run.samples](files::ByteSink& out) {
        return formats::writeTuneWave(out, kit, formats::RunLimit::pass(), samples,
                                      [] { return false; });
    };
    return made;
}

TuneExport TuneExport::midi(const KitState& live, const std::string& title) {
    TuneExport made;
    formats::MidiExport exported = formats::exportMidi(formats::tuneKitOf(live), title);
    made.fault_ = asSentence(exported.fault);
    made.question_ = formats::endlessTuneQuestion(exported.run, "MIDI", exported.bytes.size());
    made.writer_ = [bytes = std::move(exported.bytes)](files::ByteSink& out) {
        return out.write(bytes.data(), bytes.size());
    };
    return made;
}

FileResult TuneExport::writeTo(const QString& path, const char* caption) const {
    const files::Path file = filePath(path);
    const files::ReplaceResult written = files::replaceFile(file, writer_);
    if (written.outcome == files::ReplaceOutcome::Done) return {FileOutcome::Done, {}, caption};
    FileResult result = withCaption(
        cantWrite(file.shown, written.outcome == files::ReplaceOutcome::Failed
                                  ? written.reason
                                  : "The tune did not play again as it did the first time"),
        caption);
    result.oldContentLost = written.oldContentLost;
    return result;
}

} // namespace korvel::qt
