#pragma once
// Tests that need a program of the machine (soffice, catdoc, pdftoppm): without it
// the test says so and skips; under CI=true it fails (MORVALEX_REQUIRE).

#include "support/TestSupport.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

#define MORVALEX_REQUIRE_PROGRAM(program)                                                    \
    MORVALEX_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral(program)).isEmpty(),    \
                     program " is not installed (scripts/install-deps installs it)")
