// Placeholder bodies so that everything links while the parts are written.
#include "net/downloader.h"
#include "net/navigate.h"
#include "net/download.h"
#include "net/forms.h"
void runDownloader(const std::string&, const std::string&) {}
void navigate(std::string) {}
void downloadFile(const std::string&) {}
std::string downloadName(const std::string&) { return {}; }
std::string urlEncode(const std::string&) { return {}; }
std::string submissionLocation(int) { return {}; }
void submitForm(int) {}
