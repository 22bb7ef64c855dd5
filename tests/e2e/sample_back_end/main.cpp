// The sample back end on its own, for the demo and for trying the tool by hand:
// prints "port=<n>" as its first line, then serves until it is ended.
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>

#include "tests/e2e/sample_back_end/back_end.h"

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Sample back end on 127.0.0.1"));
  parser.addHelpOption();
  const QCommandLineOption port_option(
      QStringLiteral("port"), QStringLiteral("Port to listen on; 0 lets the system choose."),
      QStringLiteral("port"), QStringLiteral("0"));
  parser.addOption(port_option);
  parser.process(application);

  bool valid = false;
  const uint port = parser.value(port_option).toUInt(&valid);
  if (!valid || port > 65535) {
    std::fprintf(stderr, "sample-back-end: not a port: %s\n",
                 qPrintable(parser.value(port_option)));
    return 2;
  }
  sample_back_end::BackEnd back_end;
  if (!back_end.Listen(static_cast<quint16>(port))) {
    std::fprintf(stderr, "sample-back-end: cannot listen on 127.0.0.1:%u\n", port);
    return 1;
  }
  // Whoever started us reads the port before anything else.
  std::printf("port=%u\n", back_end.Port());
  std::fflush(stdout);
  return QCoreApplication::exec();
}
