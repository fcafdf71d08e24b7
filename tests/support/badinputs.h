#pragma once

#include "core/refusal.h"

#include <QList>
#include <QString>

// Files a user may pick that are not pictures the program can use: each must be refused with a message that
// says why, without a crash, a hang or a huge allocation.
namespace BadInputs {

struct BadInput {
    QString name;            // what the case is
    QString path;            // where it lies (or does not)
    Refusal::Rule rule;      // why the window's loader refuses it
    QString converterReason; // a part of the converter's message, which has no limit of image memory
};

// Makes the bad files in `folder` and lists them with the paths that name nothing or a folder.
QList<BadInput> make(const QString &folder);

// A folder path of about `length` characters inside `base`, created, for long-path cases.
QString longFolder(const QString &base, int length);

} // namespace BadInputs
