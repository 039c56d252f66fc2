// Headers most tests include, parsed once for all of them. Only headers of
// libraries every test links belong here, and none that reads a macro whose
// value differs between test folders (Qt Test's headers read the folder
// each test is built in).
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>
