#include "batch.h"

#include "cli/job.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/wording.h"
#include "core/budget.h"
#include "core/clock.h"
#include "glyphs/glyphtable.h"
#include "export/cheader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

namespace {

// The file that stands at `path`, as its device and inode; nullopt when nothing does.
std::optional<std::pair<dev_t, ino_t>> fileAt(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

// The file behind standard input, when it is a regular one (a pipe is read before anything is written).
std::optional<std::pair<dev_t, ino_t>> standardInputFile()
{
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::pair{info.st_dev, info.st_ino};
}

// The jobs `options` ask for; nullopt after a usage error (reported): two pictures that would be written to one
// file, or whose arrays would have one name.
std::optional<QList<Job>> plan(const Options &options)
{
    const bool batch = !options.outputDir.isEmpty();
    const bool a51 = options.road.encode.format == OutputFormat::A51;
    QList<Job> jobs;
    QHash<QString, QString> byFile, byName;
    // A glyph table is one job, about its font.
    for (const QString &picture : options.font.isEmpty() ? options.pictures : QStringList{options.font}) {
        const QString base = QFileInfo(picture).completeBaseName();
        Job job{picture, options.output, options.road.encode.name, options.header, options.cHeader};
        if (options.namesFromPictures() || !job.name.isEmpty())
            job.name = arrayName(options.namePrefix, options.namesFromPictures() ? base : job.name,
                                 options.namesFromPictures(), a51);
        if (batch)
            job.output =
                QDir(options.outputDir).filePath(base + QLatin1String(extensionOf(options.road.encode.format)));
        const auto clash = [&](QHash<QString, QString> &seen, const QString &key, Refusal::Rule rule) {
            if (key.isEmpty() || !seen.contains(key)) {
                seen.insert(key, picture);
                return false;
            }
            Refusal why(rule, Subject(Subject::Thing::File, seen[key]));
            why.other = Subject(Subject::Thing::File, picture);
            why.detail = key;
            why.value = rule == Refusal::Rule::SameName && a51;
            complain(worded(why));
            return true;
        };
        if (job.name.size() > maxNameLength) {
            Refusal why = Refusal::of(Refusal::Rule::NameTooLong, Subject(Subject::Thing::File, picture),
                                      job.name.size(), maxNameLength);
            complain(worded(why.saying(job.name)));
            return std::nullopt;
        }
        if (batch && clash(byFile, job.output, Refusal::Rule::SameOutput))
            return std::nullopt;
        // A51 reads its names in any case alike: Logo and logo would be one module, ?CO?LOGO.
        if (clash(byName, a51 ? job.name.toUpper() : job.name, Refusal::Rule::SameName))
            return std::nullopt;
        jobs.append(job);
    }
    return jobs;
}

using FileId = std::pair<dev_t, ino_t>;
using Inputs = QList<std::pair<FileId, Subject>>;

// The files the jobs read, each as the words name it: the pictures (standard input, where it is a file), or the
// font (a family too: the file fontconfig offers for it), and the text and strings files.
Inputs inputsOf(const Options &options, const QList<Job> &jobs)
{
    using T = Subject::Thing;
    Inputs inputs;
    const auto input = [&](const std::optional<FileId> &file, const Subject &what) {
        if (file)
            inputs.append({*file, what});
    };
    for (const Job &job : jobs)
        if (options.font.isEmpty())
            input(job.picture == u"-" ? standardInputFile() : fileAt(job.picture),
                  job.picture == u"-" ? Subject(T::StandardInput) : Subject(T::NamedPicture, job.picture));
    if (!options.font.isEmpty()) {
        int face = 0;
        Refusal none;
        const QString file = fontFile(options.font, options.fontIndex, &face, &none);
        if (!file.isEmpty())
            input(fileAt(file),
                  Subject(T::Font, file == options.font ? file : options.font + QStringLiteral(" (") + file + u')'));
    }
    if (!options.textFile.isEmpty())
        input(fileAt(options.textFile), Subject(T::TextFile, options.textFile));
    if (!options.stringsFile.isEmpty())
        input(fileAt(options.stringsFile), Subject(T::StringsFile, options.stringsFile));
    return inputs;
}

// Says that `output` (empty: standard output) is the input `what`; false.
bool isInput(const QString &output, const Subject &what)
{
    Refusal why(Refusal::Rule::OutputIsInput, Subject(Subject::Thing::Output, output));
    why.other = what;
    complain(output.isEmpty() ? worded(why) : output + QStringLiteral(": ") + worded(why));
    return false;
}

// Says that `header` is the output (standard output, where `standard`); false.
bool headerIsOutput(const QString &header, bool standard)
{
    Refusal why(Refusal::Rule::HeaderIsOutput, Subject(Subject::Thing::Header, header));
    why.value = standard;
    complain(header + QStringLiteral(": ") + worded(why));
    return false;
}

// A job's header and output: the header must not be the output, nor standard output, nor an input.
bool jobSparesItsInputs(const Job &job, const Inputs &inputs, const std::optional<FileId> &standardOutput)
{
    for (const QString &header : {job.header, job.cHeader}) {
        if (!header.isEmpty() && !job.output.isEmpty() &&
            (fileAt(header) ? fileAt(header) == fileAt(job.output)
                            : QFileInfo(header).absoluteFilePath() == QFileInfo(job.output).absoluteFilePath()))
            return headerIsOutput(header, false);
        if (standardOutput && !header.isEmpty() && fileAt(header) == standardOutput)
            return headerIsOutput(header, true);
    }
    for (const QString &output : {job.output, job.header, job.cHeader}) {
        const auto file = output.isEmpty() ? std::nullopt : fileAt(output);
        for (const auto &[in, what] : inputs)
            if (file == in)
                return isInput(output, what);
    }
    return true;
}

// Refuses, before anything is written, an output that is one of the inputs (a picture, standard input, the
// font, the text and strings files): the input would be lost; and a header that is its own output.
bool outputsSpareTheInputs(const Options &options, const QList<Job> &jobs)
{
    const Inputs inputs = inputsOf(options, jobs);
    // Standard output, when it is a file: written as the road goes, before any input is read whole.
    struct stat out {};
    std::optional<FileId> standardOutput;
    if (std::any_of(jobs.begin(), jobs.end(), [](const Job &job) { return job.output.isEmpty(); }) &&
        ::fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode))
        standardOutput = FileId{out.st_dev, out.st_ino};
    if (standardOutput)
        for (const auto &[in, what] : inputs)
            if (in == *standardOutput)
                return isInput({}, what);
    return std::all_of(jobs.begin(), jobs.end(),
                       [&](const Job &job) { return jobSparesItsInputs(job, inputs, standardOutput); });
}

} // namespace

int convert(const Options &options)
{
    const std::optional<QDateTime> epoch = sourceDateEpoch();
    if (epoch && !epoch->isValid()) {
        complain(worded(Refusal(Refusal::Rule::SourceDateEpoch)));
        return UsageError;
    }
    const Limits limits = Limits::withBudget(options.maxPixels, options.maxMemory); // the converter's one budget
    Options stamped = options;
    stamped.road.encode.stamp = codeStampAt(reproducibleNow());

    const std::optional<QList<Job>> planned = plan(options);
    if (!planned)
        return UsageError;
    const QList<Job> &jobs = *planned;
    if (!outputsSpareTheInputs(options, jobs))
        return Refused;
    if (options.outputDir.isEmpty()) {
        Report report(false);
        return convertOne(stamped, limits, jobs.first(), report);
    }
    if (!QDir().mkpath(options.outputDir)) {
        complain(options.outputDir + QStringLiteral(": ") +
                 worded(Refusal(Refusal::Rule::FolderNotMade, Subject(Subject::Thing::File, options.outputDir))));
        return Refused;
    }
    // Side by side on all cores, a picture at a time each, all within the one memory budget. A picture refused
    // for want of memory that others held waits until it can run alone and is converted again: only a picture
    // that cannot fit on its own fails.
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::shared_mutex alone;
    const auto attempt = [&](const Job &job, Report &report) {
        Budget::forgetRefusal();
        try {
            return convertOne(stamped, limits, job, report) == Success;
        } catch (const std::exception &) { // bad_alloc, or a length_error on the way to it
            report.complain(job.picture + QStringLiteral(": ") + worded(Refusal(Refusal::Rule::OutOfMemory)));
            return false;
        }
    };
    const auto work = [&] {
        for (int i = next++; i < jobs.size(); i = next++) {
            Report report(true);
            bool done;
            {
                const std::shared_lock beside(alone);
                done = attempt(jobs[i], report);
            }
            if (!done && Budget::lastRefusalWasShared()) {
                report.discard();
                const std::unique_lock only(alone);
                done = attempt(jobs[i], report);
            }
            failed = failed || !done;
        }
    };
    const int workers = int(std::min<qsizetype>(std::max(1u, std::thread::hardware_concurrency()), jobs.size()));
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    return failed ? Refused : Success;
}
