// Tune tools: examples, files' heads, MIDI files read, recordings heard,
// exports written.
#include "host/qt/tuneTools.h"

#include "files/fileRead.h"
#include "frontend/commands/tuneImporting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

namespace korvel::qt {

const char* const importCaption = "Import MIDI";
const char* const recordingImportCaption = "Import Recording";
const char* const exportWaveCaption = "Export Audio (WAV)";
const char* const exportMidiCaption = "Export MIDI";

namespace {

// The folder of the examples in the program's resources.
const char* const examplesFolder = ":/examples";

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

std::string fileHead(const QString& path) {
    std::string head;
    files::readFileHead(filePath(path), scriptHeadBytes, head);
    return head;
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
        examples.append(
            {nameOfExample(script.toStdString(), fileName.toStdString()), fileName, script});
    }
    std::sort(examples.begin(), examples.end(), [](const Example& a, const Example& b) {
        return QString::fromStdString(a.name.title)
                   .localeAwareCompare(QString::fromStdString(b.name.title)) < 0;
    });
    return examples;
}

TuneName nameOfFile(const QString& path) {
    return korvel::nameOfFile(QFileInfo(path).fileName().toStdString());
}

TuneName nameOfScriptFile(const QString& path) {
    return nameOfScript(fileHead(path), nameOfFile(path));
}

TuneFileKind kindOfFile(const QString& path) {
    return tuneFileKind(fileHead(path));
}

QString fileStemOf(const TuneName& name) {
    return QString::fromStdString(name.fileStem);
}

MidiFileRead readMidiFile(const QString& path) {
    MidiFileRead read{{FileOutcome::Done, {}, importCaption}, {}, {}};
    const files::Path file = filePath(path);
    const files::ReadResult got =
        files::readFileBytes(file, formats::maxMidiBytes, files::ReadUntil::End, read.bytes);
    if (!got) {
        read.result = withCaption(
            cantOpen(file.shown, got.tooLarge ? asReason(midiTooLargeReason()) : got.reason),
            importCaption);
        return read;
    }
    const formats::MidiRead parsed = formats::readMidi(read.bytes, read.song);
    // A file that is no MIDI file by its bytes is no recording either: those are heard.
    const std::string reason =
        tuneFileKind(read.bytes) == TuneFileKind::Midi ? parsed.error : notImportableReason;
    if (!parsed.ok)
        read.result = withCaption(cantOpen(file.shown, asReason(reason)), importCaption);
    return read;
}

RecordingFileRead readRecordingFile(const QString& path) {
    const files::Path file = filePath(path);
    files::RecordingRead read = files::hearRecordingFile(file);
    if (!read.ok)
        return {withCaption(cantOpen(file.shown, asReason(read.error)), recordingImportCaption),
                {}};
    return {{FileOutcome::Done, {}, recordingImportCaption}, std::move(read.heard)};
}

FileResult cantImport(const QString& path, const std::string& reason, const char* caption) {
    return {FileOutcome::NotScript, "Can't Import : " + path.toStdString(), caption,
            asReason(reason)};
}

TuneExport TuneExport::wave(const KitState& live) {
    return TuneExport(korvel::TuneExport::wave(live));
}

TuneExport TuneExport::midi(const KitState& live, const std::string& title) {
    return TuneExport(korvel::TuneExport::midi(live, title));
}

std::string TuneExport::fault() const {
    return asSentence(exported_.fault());
}

FileResult TuneExport::writeTo(const QString& path, const char* caption) const {
    const files::Path file = filePath(path);
    const files::ReplaceResult written =
        files::replaceFile(file, [this](files::ByteSink& out) { return exported_.write(out); });
    if (written.outcome == files::ReplaceOutcome::Done) return {FileOutcome::Done, {}, caption};
    FileResult result =
        withCaption(cantWrite(file.shown, written.outcome == files::ReplaceOutcome::Failed
                                              ? written.reason
                                              : asReason(notPlayedAgainReason)),
                    caption);
    result.oldContentLost = written.oldContentLost;
    return result;
}

} // namespace korvel::qt
