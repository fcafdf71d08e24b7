#pragma once

#include <QString>

class Report;
struct Limits;
struct Options;

// One picture to convert: the file ("-": standard input), where its output goes (empty: standard output), the
// name of its array or label (empty: none), and where its C header goes (empty: none).
struct Job {
    QString picture;
    QString output;
    QString name;
    QString header;
    QString cHeader; // --c-header: a C header beside an sdas module's include (empty: none)
};

// Converts one picture as `options` say, within `limits`; `report` takes what it has to say. An exit code.
int convertOne(const Options &options, const Limits &limits, const Job &job, Report &report);
