#include "platform/win32/registry.h"

#include <gtest/gtest.h>

#include <string>

#include "test_keys.h"

namespace plat {
namespace {

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { path_ = testing_keys::UniqueKey(L"registry"); }
    void TearDown() override { testing_keys::RemoveKey(path_); }

    // Puts raw data in place the way another program might have.
    void RawA(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    std::string ReadError(const wchar_t* name) {
        Registry reg;
        EXPECT_TRUE(reg.OpenKey(path_, false));
        try {
            reg.ReadInteger(name);
        } catch (const Error& e) {
            return e.what();
        }
        return "no error";
    }

    std::wstring path_;
};

TEST_F(RegistryTest, OpenKeyCreatesAMissingKeyWithFullAccess) {
    Registry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(path_, false));  // not there yet
    EXPECT_TRUE(reg.OpenKey(path_, true));
    reg.CloseKey();
    EXPECT_TRUE(reg.OpenKey(path_, false));
}

TEST_F(RegistryTest, IntegersRoundTripAsDwordsWithTheirSign) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey(path_, true));
    for (int v : {0, 1, -1, -70, -141, 550, INT_MIN, INT_MAX}) {
        reg.WriteInteger(L"Left", v);
        EXPECT_EQ(reg.ReadInteger(L"Left"), v);
    }
    DWORD type = 0, data = 0, size = sizeof data;
    ASSERT_EQ(::RegQueryValueExW(reg.CurrentKey(), L"Left", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data, 0x7FFFFFFFu);
}

TEST_F(RegistryTest, ValueExistsAndDelete) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey(path_, true));
    EXPECT_FALSE(reg.ValueExists(L"Top"));
    reg.WriteInteger(L"Top", 5);
    EXPECT_TRUE(reg.ValueExists(L"Top"));
    EXPECT_TRUE(reg.DeleteValue(L"Top"));
    EXPECT_FALSE(reg.ValueExists(L"Top"));
    EXPECT_FALSE(reg.DeleteValue(L"Top"));  // a missing value is no error
}

TEST_F(RegistryTest, StringsAreStoredWithTheirTerminatingZero) {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey(path_, true));
    const std::wstring path = L"C:\\Program Files\\Trees\\Fernlight.exe";
    reg.WriteString(L"Brisling", path);
    char buf[256] = {};
    DWORD type = 0, size = sizeof buf;
    ASSERT_EQ(::RegQueryValueExA(reg.CurrentKey(), "Brisling", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    // The same bytes an ANSI write of the path with its zero gives.
    EXPECT_EQ(size, path.size() + 1);
    EXPECT_STREQ(buf, "C:\\Program Files\\Trees\\Fernlight.exe");
    wchar_t wbuf[256] = {};
    size = sizeof wbuf;
    ASSERT_EQ(::RegQueryValueExW(reg.CurrentKey(), L"Brisling", nullptr, &type, reinterpret_cast<BYTE*>(wbuf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, (path.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(wbuf), path);
}

TEST_F(RegistryTest, ReadIntegerErrorsByTypeAndSize) {
    struct Case {
        const char* name;
        DWORD type;
        const char* data;
        DWORD size;
        const char* error;
    } cases[] = {
        {"Short", REG_SZ, "abc", 4, "Invalid data type for 'Short'"},    // four bytes with its zero
        {"Empty", REG_SZ, "", 1, "Invalid data type for 'Empty'"},
        {"Long", REG_SZ, "abcd", 5, "Failed to get data for 'Long'"},    // five bytes with its zero
        {"Bin4", REG_BINARY, "\1\2\3\4", 4, "Invalid data type for 'Bin4'"},
        {"Bin8", REG_BINARY, "\1\2\3\4\5\6\7\10", 8, "Failed to get data for 'Bin8'"},
        {"Qword", REG_QWORD, "\1\0\0\0\0\0\0\0", 8, "Failed to get data for 'Qword'"},
        {"Big", REG_DWORD_BIG_ENDIAN, "\0\0\0\1", 4, "Invalid data type for 'Big'"},
    };
    for (const auto& c : cases) RawA(c.name, c.type, c.data, c.size);
    for (const auto& c : cases) EXPECT_EQ(ReadError(std::wstring(c.name, c.name + strlen(c.name)).c_str()), c.error);
    EXPECT_EQ(ReadError(L"Missing"), "Failed to get data for 'Missing'");
}

TEST_F(RegistryTest, AReadOnlyKeyCannotBeOpenedAndWritesFail) {
    {
        Registry reg;
        ASSERT_TRUE(reg.OpenKey(path_, true));
        reg.WriteInteger(L"TrVal", 3);
    }
    ASSERT_TRUE(testing_keys::MakeReadOnly(path_));

    // The system refuses full access to such a key: access denied.
    HKEY raw = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_ACCESS_DENIED);

    Registry reg;
    EXPECT_FALSE(reg.OpenKey(path_, true));  // not reported
    EXPECT_FALSE(reg.ValueExists(L"TrVal"));  // reads find nothing
    for (const wchar_t* name : {L"OnTop", L"TrVal", L"Top", L"Left"}) {
        try {
            reg.WriteInteger(name, 1);
            ADD_FAILURE() << "write succeeded";
        } catch (const Error& e) {
            std::string expected = "Failed to set data for '";
            for (const wchar_t* p = name; *p; ++p) expected.push_back(char(*p));
            EXPECT_EQ(std::string(e.what()), expected + "'");
        }
    }
    EXPECT_THROW(reg.WriteString(L"Ambrett", L"x"), Error);
    EXPECT_FALSE(reg.DeleteValue(L"TrVal"));
}

} // namespace
} // namespace plat
