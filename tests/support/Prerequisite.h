#pragma once
// Tests that need a program of the machine (soffice, catdoc, pdftoppm): without it
// the test says so and skips; under CI=true it fails instead.

#include <QStandardPaths>
#include <QString>
#include <gtest/gtest.h>

#define MORVALEX_REQUIRE_PROGRAM(program)                                                                  \
    do {                                                                                                   \
        if (QStandardPaths::findExecutable(QStringLiteral(program)).isEmpty()) {                           \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                       \
                FAIL() << program " is not installed (scripts/install-deps installs it)";                  \
            GTEST_SKIP() << program " is not installed (scripts/install-deps installs it)";                \
        }                                                                                                  \
    } while (0)
