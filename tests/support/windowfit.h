#pragma once

#include <QTest>

// How the main window fits around a picture of width x height (pixels): where the frame of buttons lies and how
// large the form is, in twips, on a 1280 x 1024 screen. The layout's own test and the window's test after an
// import both run these rows.
inline void addWindowFitRows()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<float>("frameLeft");
    QTest::addColumn<float>("frameTop");
    QTest::addColumn<float>("formWidth");
    QTest::addColumn<float>("formHeight");
    QTest::newRow("400 x 300 default picture") << 400 << 300 << 6300.0f << 1425.0f << 8475.0f << 5460.0f;
    QTest::newRow("400 x 299 short: default") << 400 << 299 << 6300.0f << 1425.0f << 8475.0f << 5460.0f;
    QTest::newRow("64 x 400") << 64 << 400 << 1260.0f << 2925.0f << 3435.0f << 6960.0f;
    QTest::newRow("64 x 300") << 64 << 300 << 1260.0f << 1425.0f << 3435.0f << 5460.0f;
    QTest::newRow("1000 x 100 short and wide: default") << 1000 << 100 << 6300.0f << 1425.0f << 8475.0f << 5460.0f;
    QTest::newRow("8 x 1") << 8 << 1 << 6300.0f << 1425.0f << 8475.0f << 5460.0f;
    QTest::newRow("128 x 320") << 128 << 320 << 2220.0f << 1725.0f << 4395.0f << 5760.0f;
}
