// The one application object of the serial test program, made on first use.
#pragma once

#include <QCoreApplication>

namespace zhv::test {

QCoreApplication& App();

}  // namespace zhv::test
