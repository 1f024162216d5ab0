// The test probe: a small Win32 program run under Wine beside the trees. It reads one
// command per line on stdin (a JSON array of strings) and answers one JSON object per
// line on stdout: what the window system knows of a program's windows, registry values of
// any type, messages sent to windows, screen metrics. It also shows the wallpaper window
// that lies behind the trees and records the clicks that fall through to it.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---- JSON in and out -------------------------------------------------------

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

// Parses ["a", "b", ...]: strings only, with the usual escapes.
bool ParseArgs(const std::string& line, std::vector<std::string>& args) {
    size_t i = line.find('[');
    if (i == std::string::npos) return false;
    ++i;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == ',')) ++i;
        if (i >= line.size()) return false;
        if (line[i] == ']') return true;
        if (line[i] != '"') return false;
        ++i;
        std::string s;
        while (i < line.size() && line[i] != '"') {
            char c = line[i++];
            if (c == '\\' && i < line.size()) {
                char e = line[i++];
                switch (e) {
                case 'n': s += '\n'; break;
                case 'r': s += '\r'; break;
                case 't': s += '\t'; break;
                case 'u': {
                    unsigned v = unsigned(std::strtoul(line.substr(i, 4).c_str(), nullptr, 16));
                    i += 4;
                    std::wstring w(1, wchar_t(v));
                    s += Utf8(w);
                    break;
                }
                default: s += e;
                }
            } else {
                s += c;
            }
        }
        if (i >= line.size()) return false;
        ++i;
        args.push_back(s);
    }
}

std::string Hex(const BYTE* p, DWORD n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (DWORD i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::string Num(long long v) { return std::to_string(v); }
std::string Handle(HWND h) { return Num(static_cast<long long>(reinterpret_cast<INT_PTR>(h))); }
HWND ToHwnd(const std::string& s) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(s.c_str(), nullptr, 0))); }

std::string Error(const std::string& what) { return "{\"error\":" + Quote(what) + "}"; }

// ---- windows ---------------------------------------------------------------

std::wstring ExeOf(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return {};
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    std::wstring name;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
        if (e.th32ProcessID == pid) {
            name = e.szExeFile;
            break;
        }
    }
    CloseHandle(snap);
    return name;
}

std::string BaseName(std::wstring path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path = path.substr(slash + 1);
    return Utf8(path);
}

bool SameName(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

std::string TextOf(HWND h) {
    wchar_t buf[1024];
    int n = GetWindowTextW(h, buf, 1024);
    return Utf8(std::wstring(buf, size_t(n > 0 ? n : 0)));
}

std::string ClassOf(HWND h) {
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return Utf8(std::wstring(buf, size_t(n > 0 ? n : 0)));
}

std::string RegionOf(HWND h) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    int type = GetWindowRgn(h, rgn);
    std::string out = "{\"type\":" + Num(type);
    if (type != ERROR) {
        DWORD size = GetRegionData(rgn, 0, nullptr);
        std::vector<BYTE> data(size);
        long long area = 0;
        std::string rects;
        if (size && GetRegionData(rgn, size, reinterpret_cast<RGNDATA*>(data.data()))) {
            auto* rd = reinterpret_cast<RGNDATA*>(data.data());
            auto* r = reinterpret_cast<RECT*>(rd->Buffer);
            for (DWORD i = 0; i < rd->rdh.nCount; ++i) {
                area += (long long)(r[i].right - r[i].left) * (r[i].bottom - r[i].top);
                if (!rects.empty()) rects += ",";
                rects += "[" + Num(r[i].left) + "," + Num(r[i].top) + "," + Num(r[i].right) + "," + Num(r[i].bottom) + "]";
            }
        }
        out += ",\"area\":" + Num(area) + ",\"rects\":[" + rects + "]";
    }
    DeleteObject(rgn);
    return out + "}";
}

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
    auto* list = reinterpret_cast<std::vector<std::string>*>(lp);
    std::string text = TextOf(child);
    if (!text.empty()) list->push_back(ClassOf(child) + "\x1f" + text);
    return TRUE;
}

std::string StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&texts));
    std::string out;
    for (auto& t : texts) {
        size_t sep = t.find('\x1f');
        if (!out.empty()) out += ",";
        out += "{\"class\":" + Quote(t.substr(0, sep)) + ",\"text\":" + Quote(t.substr(sep + 1)) + "}";
    }
    return "[" + out + "]";
}

std::string Describe(HWND h, DWORD pid, const std::string& exe) {
    RECT r{};
    GetWindowRect(h, &r);
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    ULONG_PTR cls = GetClassLongPtrW(h, GCL_STYLE);
    HWND owner = GetWindow(h, GW_OWNER);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    BOOL layered = GetLayeredWindowAttributes(h, &key, &alpha, &flags);
    std::string s = "{\"hwnd\":" + Handle(h) + ",\"pid\":" + Num(pid) + ",\"exe\":" + Quote(exe) +
        ",\"class\":" + Quote(ClassOf(h)) + ",\"title\":" + Quote(TextOf(h)) +
        ",\"rect\":[" + Num(r.left) + "," + Num(r.top) + "," + Num(r.right) + "," + Num(r.bottom) + "]" +
        ",\"style\":" + Num((long long)(unsigned long)style) + ",\"exstyle\":" + Num((long long)(unsigned long)ex) +
        ",\"classstyle\":" + Num((long long)cls) + ",\"owner\":" + Handle(owner) +
        ",\"desktop\":" + Handle(GetDesktopWindow()) +
        ",\"visible\":" + (IsWindowVisible(h) ? "true" : "false") +
        ",\"topmost\":" + ((ex & WS_EX_TOPMOST) ? "true" : "false") +
        ",\"layered\":{\"ok\":" + (layered ? "true" : "false") + ",\"alpha\":" + Num(alpha) +
        ",\"flags\":" + Num(flags) + ",\"key\":" + Num(key) + "}" +
        ",\"region\":" + RegionOf(h);
    if (ClassOf(h) == "#32770") s += ",\"texts\":" + StaticTexts(h);
    return s + "}";
}

struct WindowList {
    std::string exe;
    std::vector<std::string> items;
};

BOOL CALLBACK CollectWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<WindowList*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    std::string exe = BaseName(ExeOf(pid));
    if (c->exe == "*" || SameName(exe, c->exe)) c->items.push_back(Describe(h, pid, exe));
    return TRUE;
}

std::string Windows(const std::string& exeName) {
    WindowList ctx{exeName, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&ctx));
    std::string out;
    for (auto& i : ctx.items) out += (out.empty() ? "" : ",") + i;
    return "{\"windows\":[" + out + "]}";
}

std::string Processes(const std::string& exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    std::string out;
    if (snap != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W e{};
        e.dwSize = sizeof e;
        for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
            std::string exe = BaseName(e.szExeFile);
            if (exeName == "*" || SameName(exe, exeName)) out += (out.empty() ? "" : ",") + Num(e.th32ProcessID);
        }
        CloseHandle(snap);
    }
    return "{\"pids\":[" + out + "]}";
}

// ---- registry --------------------------------------------------------------

HKEY Root(std::string& path) {
    struct { const char* name; HKEY key; } roots[] = {
        {"HKCU\\", HKEY_CURRENT_USER}, {"HKLM\\", HKEY_LOCAL_MACHINE}};
    for (auto& r : roots) {
        if (path.rfind(r.name, 0) == 0) {
            path = path.substr(std::strlen(r.name));
            return r.key;
        }
    }
    return HKEY_CURRENT_USER;
}

std::string RegGet(std::string path, const std::string& name) {
    HKEY root = Root(path);
    HKEY key;
    LONG rc = RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return "{\"exists\":false,\"key\":false,\"rc\":" + Num(rc) + "}";
    DWORD type = 0, size = 0;
    rc = RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) {
        RegCloseKey(key);
        return "{\"exists\":false,\"key\":true,\"rc\":" + Num(rc) + "}";
    }
    // Raw bytes as the ANSI call sees them and as stored (wide), so tests can check both.
    std::vector<BYTE> data(size + 2);
    RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, data.data(), &size);
    std::string out = "{\"exists\":true,\"type\":" + Num(type) + ",\"size\":" + Num(size) + ",\"hex\":" + Quote(Hex(data.data(), size));
    if (type == REG_DWORD && size == 4) {
        DWORD v;
        std::memcpy(&v, data.data(), 4);
        out += ",\"dword\":" + Num(v);
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring w(reinterpret_cast<wchar_t*>(data.data()), size / 2);
        while (!w.empty() && w.back() == L'\0') w.pop_back();
        out += ",\"text\":" + Quote(Utf8(w));
        DWORD asize = 0, atype = 0;
        RegQueryValueExA(key, name.c_str(), nullptr, &atype, nullptr, &asize);
        std::vector<BYTE> a(asize + 1);
        RegQueryValueExA(key, name.c_str(), nullptr, &atype, a.data(), &asize);
        out += ",\"ansi_hex\":" + Quote(Hex(a.data(), asize));
    }
    RegCloseKey(key);
    return out + "}";
}

std::string RegSet(std::string path, const std::string& name, DWORD type, const std::vector<BYTE>& bytes) {
    HKEY root = Root(path);
    HKEY key;
    LONG rc = RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return Error("create key " + Num(rc));
    rc = RegSetValueExW(key, Wide(name).c_str(), 0, type, bytes.data(), DWORD(bytes.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? "{\"ok\":true}" : Error("set value " + Num(rc));
}

std::vector<BYTE> FromHex(const std::string& hex) {
    std::vector<BYTE> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(BYTE(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
    return out;
}

std::string RegDeleteValue(std::string path, const std::string& name) {
    HKEY root = Root(path);
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return "{\"ok\":true}";
    RegDeleteValueW(key, Wide(name).c_str());
    RegCloseKey(key);
    return "{\"ok\":true}";
}

std::string RegDeleteKey(std::string path) {
    HKEY root = Root(path);
    LONG rc = RegDeleteTreeW(root, Wide(path).c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(root, Wide(path).c_str());
        return "{\"ok\":true}";
    }
    return Error("delete key " + Num(rc));
}

// Gives the key a protected DACL: "read" grants only KEY_READ to everyone, "full" grants everything.
std::string RegAccess(std::string path, const std::string& mode) {
    HKEY root = Root(path);
    HKEY key;
    LONG rc = RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | WRITE_DAC, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) rc = RegOpenKeyExW(root, Wide(path).c_str(), 0, READ_CONTROL | WRITE_DAC, &key);
    if (rc != ERROR_SUCCESS) return Error("open key " + Num(rc));
    const wchar_t* sddl = mode == "read" ? L"D:P(A;;KR;;;WD)" : L"D:P(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
        RegCloseKey(key);
        return Error("sddl");
    }
    rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? "{\"ok\":true}" : Error("set security " + Num(rc));
}

// ---- the wallpaper ---------------------------------------------------------

std::mutex g_clickLock;
std::vector<std::string> g_clicks;
HWND g_wallpaper = nullptr;
DWORD g_mainThread = 0;
constexpr UINT kMakeWallpaper = WM_APP + 1;

// 16-pixel blocks whose three channels change independently: every tree pixel lies over
// a known, non-uniform colour, so blending can be measured per channel.
COLORREF WallColour(int x, int y) {
    int bx = x / 16, by = y / 16;
    int r = 40 + (bx * 37 + by * 11) % 180;
    int g = 40 + (by * 53 + bx * 7) % 180;
    int b = 40 + ((bx + by) * 29) % 180;
    return RGB(r, g, b);
}

LRESULT CALLBACK WallProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        for (int y = ps.rcPaint.top / 16 * 16; y < ps.rcPaint.bottom; y += 16) {
            for (int x = ps.rcPaint.left / 16 * 16; x < ps.rcPaint.right; x += 16) {
                HBRUSH b = CreateSolidBrush(WallColour(x, y));
                RECT r{x, y, x + 16, y + 16};
                FillRect(dc, &r, b);
                DeleteObject(b);
            }
        }
        EndPaint(h, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
        reinterpret_cast<WINDOWPOS*>(lp)->hwndInsertAfter = HWND_BOTTOM;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONUP: {
        const char* name = msg == WM_LBUTTONDOWN ? "ldown" : msg == WM_LBUTTONUP ? "lup" : msg == WM_RBUTTONDOWN ? "rdown" : "rup";
        std::lock_guard<std::mutex> lock(g_clickLock);
        g_clicks.push_back("{\"event\":\"" + std::string(name) + "\",\"x\":" + Num((short)LOWORD(lp)) + ",\"y\":" + Num((short)HIWORD(lp)) + "}");
        return 0;
    }
    case WM_CONTEXTMENU:
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void MakeWallpaper() {
    if (g_wallpaper) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WallProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TreeTestWallpaper";
    RegisterClassW(&wc);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    g_wallpaper = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, wc.lpszClassName, L"wallpaper", WS_POPUP, 0, 0, w, h,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(g_wallpaper, SW_SHOWNOACTIVATE);
    SetWindowPos(g_wallpaper, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(g_wallpaper);
}

// ---- commands --------------------------------------------------------------

std::string Run(const std::vector<std::string>& a) {
    auto arg = [&](size_t i) -> const std::string& {
        static const std::string empty;
        return i < a.size() ? a[i] : empty;
    };
    const std::string& cmd = arg(0);
    if (cmd == "windows") return Windows(arg(1));
    if (cmd == "pids") return Processes(arg(1));
    if (cmd == "reg-get") return RegGet(arg(1), arg(2));
    if (cmd == "reg-set-dword") {
        DWORD v = DWORD(std::strtoll(arg(3).c_str(), nullptr, 0));
        std::vector<BYTE> b(4);
        std::memcpy(b.data(), &v, 4);
        return RegSet(arg(1), arg(2), REG_DWORD, b);
    }
    if (cmd == "reg-set-sz") {
        std::wstring w = Wide(arg(3));
        std::vector<BYTE> b(reinterpret_cast<const BYTE*>(w.c_str()), reinterpret_cast<const BYTE*>(w.c_str() + w.size() + 1));
        return RegSet(arg(1), arg(2), REG_SZ, b);
    }
    if (cmd == "reg-set-raw") return RegSet(arg(1), arg(2), DWORD(std::strtoul(arg(3).c_str(), nullptr, 0)), FromHex(arg(4)));
    if (cmd == "reg-delete-value") return RegDeleteValue(arg(1), arg(2));
    if (cmd == "reg-delete-key") return RegDeleteKey(arg(1));
    if (cmd == "reg-access") return RegAccess(arg(1), arg(2));
    if (cmd == "post" || cmd == "send") {
        HWND h = ToHwnd(arg(1));
        UINT msg = UINT(std::strtoul(arg(2).c_str(), nullptr, 0));
        WPARAM wp = WPARAM(std::strtoull(arg(3).c_str(), nullptr, 0));
        LPARAM lp = LPARAM(std::strtoll(arg(4).c_str(), nullptr, 0));
        if (cmd == "post") return PostMessageW(h, msg, wp, lp) ? "{\"ok\":true}" : Error("post failed");
        DWORD_PTR result = 0;
        LRESULT ok = SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, 10000, &result);
        return "{\"ok\":" + std::string(ok ? "true" : "false") + ",\"result\":" + Num((long long)result) + "}";
    }
    if (cmd == "metrics") {
        RECT wa{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
        return "{\"workarea\":[" + Num(wa.left) + "," + Num(wa.top) + "," + Num(wa.right) + "," + Num(wa.bottom) + "],\"screen\":[" +
               Num(GetSystemMetrics(SM_CXSCREEN)) + "," + Num(GetSystemMetrics(SM_CYSCREEN)) + "]}";
    }
    if (cmd == "temp") {
        wchar_t buf[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, buf);
        return "{\"path\":" + Quote(Utf8(std::wstring(buf, n))) + "}";
    }
    if (cmd == "wallpaper") {
        PostThreadMessageW(g_mainThread, kMakeWallpaper, 0, 0);
        for (int i = 0; i < 500 && !g_wallpaper; ++i) Sleep(10);
        return g_wallpaper ? "{\"hwnd\":" + Handle(g_wallpaper) + "}" : Error("no wallpaper");
    }
    if (cmd == "clicks") {
        std::lock_guard<std::mutex> lock(g_clickLock);
        std::string out;
        for (auto& c : g_clicks) out += (out.empty() ? "" : ",") + c;
        g_clicks.clear();
        return "{\"clicks\":[" + out + "]}";
    }
    if (cmd == "message-id") {
        UINT id = RegisterWindowMessageW(Wide(arg(1)).c_str());
        return id ? "{\"id\":" + Num(id) + "}" : Error("register message failed");
    }
    if (cmd == "ping") return "{\"ok\":true}";
    return Error("unknown command " + cmd);
}

void ServeStdin() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> args;
        std::string reply = ParseArgs(line, args) && !args.empty() ? Run(args) : Error("bad request");
        if (!args.empty() && args[0] == "exit") break;
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
}

} // namespace

int main(int argc, char** argv) {
    g_mainThread = GetCurrentThreadId();
    // One command from the command line: ["probe", "windows", "X.exe"] prints one answer.
    if (argc > 1) {
        std::vector<std::string> args(argv + 1, argv + argc);
        std::string reply = Run(args);
        std::printf("%s\n", reply.c_str());
        return 0;
    }
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists before the reader posts to it
    std::thread reader(ServeStdin);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kMakeWallpaper) {
            MakeWallpaper();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    reader.join();
    return 0;
}
