// The "open" verb in this process, or handed to the desktop's shell: the Explorer that the user
// signed in to runs without elevation, so what it starts for an elevated program gets the
// user's own rights.
// clang-format off
#include "platform/win32/Win32Backends.h"
// shellapi.h and the shell's COM interfaces need windows.h first.
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
// clang-format on

#include <string>

namespace {

// Holds one COM interface and releases it.
template <typename T>
struct Com {
  T* p = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p != nullptr) p->Release();
  }
  T* operator->() const { return p; }
  void** Out() { return reinterpret_cast<void**>(&p); }
};

// A BSTR variant, freed when it goes.
struct TextVariant {
  VARIANT v;
  explicit TextVariant(const std::wstring& text) {
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.c_str());
  }
  TextVariant(const TextVariant&) = delete;
  TextVariant& operator=(const TextVariant&) = delete;
  ~TextVariant() { VariantClear(&v); }
};

// The desktop's folder view -> its shell browser -> the active view -> the view's automation
// object -> the shell's application object, as the system documents the way to it.
bool DesktopShellExecute(const std::wstring& target) {
  Com<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.Out()))) {
    return false;
  }
  VARIANT location;
  VariantInit(&location);
  V_VT(&location) = VT_I4;
  V_I4(&location) = CSIDL_DESKTOP;
  VARIANT empty;
  VariantInit(&empty);
  long window = 0;
  Com<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            reinterpret_cast<IDispatch**>(desktop.Out())) != S_OK ||
      desktop.p == nullptr) {
    return false;
  }
  Com<IServiceProvider> provider;
  Com<IShellBrowser> browser;
  Com<IShellView> view;
  Com<IDispatch> background;
  Com<IShellFolderViewDual> folderView;
  Com<IDispatch> application;
  Com<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, provider.Out())) ||
      FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.Out())) ||
      FAILED(browser->QueryActiveShellView(&view.p)) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.Out())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.Out())) ||
      FAILED(folderView->get_Application(&application.p)) || application.p == nullptr ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.Out()))) {
    return false;
  }
  const TextVariant verb(L"open");
  VARIANT show;
  VariantInit(&show);
  V_VT(&show) = VT_I4;
  V_I4(&show) = SW_SHOWNORMAL;
  BSTR file = SysAllocString(target.c_str());
  const HRESULT done = shell->ShellExecute(file, empty, empty, verb.v, show);
  SysFreeString(file);
  return SUCCEEDED(done);
}

}  // namespace

void Win32Shell::Open(uintptr_t ownerWindow, const std::string& target) {
  ShellExecuteA(reinterpret_cast<HWND>(ownerWindow), "open", target.c_str(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

bool Win32Shell::OpenAsDesktopUser(const std::string& target) {
  // The window's thread is a single-threaded apartment already, or becomes one here.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const bool opened = DesktopShellExecute(WideText(target));
  if (SUCCEEDED(com)) CoUninitialize();
  return opened;
}
