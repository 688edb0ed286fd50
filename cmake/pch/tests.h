// The test programs' precompiled set: the common one plus GoogleTest and Qt Test.
#pragma once

#include "common.h"

#include <QTemporaryDir>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
