// TForm1: the main window's logic, free of any toolkit. The GTK window
// (gtk_window.h) builds the widgets and forwards their events here.
//
// Every event handler catches what the work below it raises and shows it
// through FormHost::ShowException; nothing escapes to the event loop.
#pragma once

#include <optional>
#include <string>

#include "app/form_host.h"
#include "browser/browser.h"
#include "router/router.h"

namespace kelvanis {

class TForm1 : private NavigationWindow {
 public:
  // Wires `browser`'s BeforeNavigate2 to CppWebBrowser1BeforeNavigate2.
  // Both must outlive the form; the destructor unhooks the handler again.
  TForm1(Browser& browser, FormHost& host);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;
  ~TForm1() override;

  // Window events.
  void FormCreate();
  void FormShow();  // program folder, settings, then H1Click
  void FormClose();

  // Menu items.
  void Exit1Click();        // 終了(F)
  void H1Click() override;  // ホーム(H): shows the start page
  void N1Click();           // 公式ホームページ(P): opens the site outside the program

  // The browser's before-navigation event.
  void CppWebBrowser1BeforeNavigate2(const std::string& URL,
                                     const std::optional<std::string>& PostData, bool& Cancel);

  // Work methods of the router.
  int AddEntry(const std::string& form_body) override;
  int EditEntry(const std::string& form_body) override;
  int DeleteEntry(const std::string& form_body) override;
  int PostToViewer(const std::string& body) override;

  const std::string& AppDir() const override { return FAppDir; }
  const std::string& SiteUrl() const override { return FSiteUrl; }
  const std::string& HomePageUrl() const override { return FHomePageUrl; }

 private:
  Browser& NavigationBrowser() override { return CppWebBrowser1; }

  Browser& CppWebBrowser1;
  FormHost& host_;
  std::string FAppDir;       // the program's folder, ending in "/"
  std::string FSiteUrl;      // [common] home_url, Shift_JIS
  std::string FHomePageUrl;  // file URL of FAppDir + "page/home.html"
};

// The one main window of the program; null outside it.
extern TForm1* Form1;

}  // namespace kelvanis
