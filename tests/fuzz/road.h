#pragma once

#include <QByteArray>

// Runs a file's bytes down the whole road, decoder, width rule, pixel table, conversion and the three
// writers, and aborts with a message when anything that must always hold does not.
void checkRoad(const QByteArray &data);
