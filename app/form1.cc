#include "app/form1.h"

#include <exception>
#include <filesystem>
#include <vector>

#include "app/file_url.h"
#include "app/launcher.h"
#include "codec/sjis.h"
#include "pages/jump_page.h"
#include "pages/page_file.h"
#include "settings/settings.h"
#include "store/store.h"

namespace kelvanis {

TForm1* Form1 = nullptr;

namespace {

// The programs that open an HTML file on this desktop, in order of choice.
const char* const kPageOpeners[] = {"xdg-open", "x-www-browser", "sensible-browser"};

// Runs one event handler's work; what it raises is shown through the
// exception report and goes no further.
template <typename Work>
void HandleEvent(FormHost& host, Work work) {
  try {
    work();
  } catch (const std::exception& error) {
    host.ShowException(error.what());
  } catch (...) {
    host.ShowException("予期しないエラーが発生しました");
  }
}

// The folder part of `path` up to and including its last "/", which is
// then always there.
std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

TForm1::TForm1(Browser& browser, FormHost& host) : CppWebBrowser1(browser), host_(host) {
  CppWebBrowser1.SetOnBeforeNavigate2(
      [this](const std::string& url, const std::optional<std::string>& post_data, bool& cancel) {
        CppWebBrowser1BeforeNavigate2(url, post_data, cancel);
      });
}

TForm1::~TForm1() { CppWebBrowser1.SetOnBeforeNavigate2(nullptr); }

void TForm1::FormCreate() {}

void TForm1::FormShow() {
  HandleEvent(host_, [&] {
    FAppDir = FolderOf(host_.ExeName());
    FSiteUrl = ReadSiteUrl(FAppDir);
    H1Click();
  });
}

void TForm1::FormClose() {}

void TForm1::Exit1Click() {
  HandleEvent(host_, [&] { host_.Close(); });
}

void TForm1::H1Click() {
  HandleEvent(host_, [&] {
    // Set before Navigate: the router may read it while Navigate runs.
    FHomePageUrl = FileUrl(std::filesystem::absolute(HomePagePath(FAppDir)).string());
    CppWebBrowser1.Navigate(SjisToUtf8(FHomePageUrl));
  });
}

void TForm1::N1Click() {
  HandleEvent(host_, [&] {
    const std::string page_path = FAppDir + "page/jump.html";
    WriteJumpPage(page_path, FSiteUrl);  // FileCreateError: reported, nothing started
    for (const char* name : kPageOpeners) {
      if (std::optional<std::string> program = FindProgramOnPath(name)) {
        host_.StartProgram({*program, page_path});  // a failed start is not reported
        return;
      }
    }
    host_.ShowException(
        "HTML ファイルを開くプログラム (xdg-open, x-www-browser, sensible-browser) "
        "が見つかりません");
  });
}

void TForm1::CppWebBrowser1BeforeNavigate2(const std::string& URL,
                                           const std::optional<std::string>& PostData,
                                           bool& Cancel) {
  HandleEvent(host_, [&] { RouteNavigation(*this, URL, PostData, Cancel); });
}

int TForm1::AddEntry(const std::string& form_body) {
  return kelvanis::AddEntry(FAppDir, form_body);
}

int TForm1::EditEntry(const std::string& form_body) {
  return kelvanis::EditEntry(FAppDir, form_body);
}

int TForm1::DeleteEntry(const std::string& form_body) {
  return kelvanis::DeleteEntry(FAppDir, form_body);
}

int TForm1::PostToViewer(const std::string& body) {
  return kelvanis::PostToViewer(CppWebBrowser1, FSiteUrl, body);
}

}  // namespace kelvanis
