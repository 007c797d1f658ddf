// The registry commands against the real registry, each test in its own key below
// HKEY_CURRENT_USER\Software\CaseSwitchTests, removed again afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "KeyAccess.h"
#include "runtime/RegistryCommands.h"

namespace runtime {
namespace {

constexpr std::int32_t kCurrentUser = 3;

struct StoredValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
        text += ' ';
    }
    return text;
}

class RegistryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        base = "Software\\CaseSwitchTests\\" + std::to_string(GetCurrentProcessId()) + "-" + info->name();
    }
    void TearDown() override {
        RestoreAccess(base + "\\Locked");
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }

    std::string Path(const std::string& tail) const { return base + "\\" + tail; }

    static StoredValue Read(const std::string& keyPath, const char* valueName) {
        StoredValue value;
        HKEY key = nullptr;
        value.status = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key);
        if (value.status != ERROR_SUCCESS) return value;
        DWORD size = 0;
        value.status = RegQueryValueExA(key, valueName, nullptr, &value.type, nullptr, &size);
        if (value.status == ERROR_SUCCESS) {
            value.data.resize(size);
            value.status = RegQueryValueExA(key, valueName, nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }

    static bool KeyExists(const std::string& keyPath) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    static void CreateKey(const std::string& keyPath) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, keyPath.c_str(), &key), ERROR_SUCCESS) << keyPath;
        RegCloseKey(key);
    }

    static void Store(const std::string& keyPath, const char* valueName, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, keyPath.c_str(), &key), ERROR_SUCCESS) << keyPath;
        EXPECT_EQ(RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static std::vector<BYTE> Security(const std::string& keyPath) {
        std::vector<BYTE> descriptor;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS)
            return descriptor;
        EXPECT_EQ(SaveKeySecurity(key, &descriptor), ERROR_SUCCESS) << keyPath;
        RegCloseKey(key);
        return descriptor;
    }

    // Everyone may read the key, nobody may change it: the situation of an ordinary user before
    // the per-machine Run key. Its own DACL is kept for RestoreAccess.
    void RestrictToReading(const std::string& keyPath) {
        savedSecurity = Security(keyPath);
        ASSERT_FALSE(savedSecurity.empty());
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(RestrictKeyToReading(key), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    void RestoreAccess(const std::string& keyPath) {
        if (savedSecurity.empty()) return;
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(RestoreKeySecurity(key, savedSecurity), ERROR_SUCCESS);
        RegCloseKey(key);
        savedSecurity.clear();
    }

    std::vector<BYTE> savedSecurity;
    std::string base;
};

TEST_F(RegistryCommandsTest, WritingCreatesEveryMissingKeyAndStoresTextWithItsNul) {
    ASSERT_FALSE(KeyExists(base));
    std::uint32_t error = 0xDEADBEEF;
    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path("a\\b\\c\\Text").c_str(), TextValue("abc"), &error));
    EXPECT_EQ(error, 0u);

    const StoredValue stored = Read(Path("a\\b\\c"), "Text");
    ASSERT_EQ(stored.status, ERROR_SUCCESS);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.data, (std::vector<std::uint8_t>{'a', 'b', 'c', 0})) << "seen " << Hex(stored.data);

    // A missing text is the empty text: one NUL byte.
    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path("a\\Empty").c_str(), TextValue(nullptr)));
    EXPECT_EQ(Read(Path("a"), "Empty").data, std::vector<std::uint8_t>{0});
}

TEST_F(RegistryCommandsTest, NumbersOfEveryKindAreStoredAsDword) {
    const struct {
        const char* name;
        RegistryValue value;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {"Byte", NumberValue(std::uint8_t{0xFE}), {0xFE, 0, 0, 0}},
        {"Short", NumberValue(std::int16_t{-2}), {0xFE, 0xFF, 0xFF, 0xFF}},
        {"Int", NumberValue(std::int32_t{0x12345678}), {0x78, 0x56, 0x34, 0x12}},
        {"Long", NumberValue(std::int64_t{0x0102030405060708}), {0x08, 0x07, 0x06, 0x05}},
        {"Float", NumberValue(-3.75f), {0xFD, 0xFF, 0xFF, 0xFF}},
        {"Double", NumberValue(4294967298.9), {0x02, 0, 0, 0}},
    };
    for (const auto& entry : cases) {
        EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path(entry.name).c_str(), entry.value)) << entry.name;
        const StoredValue stored = Read(base, entry.name);
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD)) << entry.name;
        EXPECT_EQ(stored.data, entry.expected) << entry.name << ": seen " << Hex(stored.data);
    }
}

TEST_F(RegistryCommandsTest, ByteBlocksAreStoredAsBinaryOfTheirLength) {
    const std::uint8_t bytes[] = {0x00, 0x5C, 0xFF, 0x01, 0x00};
    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path("Block").c_str(), BytesValue(bytes, sizeof(bytes))));
    const StoredValue stored = Read(base, "Block");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored.data, std::vector<std::uint8_t>(bytes, bytes + sizeof(bytes))) << "seen " << Hex(stored.data);

    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path("Nothing").c_str(), BytesValue(nullptr, 0)));
    const StoredValue empty = Read(base, "Nothing");
    EXPECT_EQ(empty.status, ERROR_SUCCESS);
    EXPECT_EQ(empty.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(empty.data.empty()) << "seen " << Hex(empty.data);
}

TEST_F(RegistryCommandsTest, PathsNameDefaultValuesAndDoubleByteValueNames) {
    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, (base + "\\").c_str(), TextValue("default")));
    const StoredValue byDefault = Read(base, "");
    EXPECT_EQ(byDefault.status, ERROR_SUCCESS);
    EXPECT_EQ(std::string(byDefault.data.begin(), byDefault.data.end()), std::string("default", 8));

    // 0x81 0x5C is one GBK character: the value lands in base, not in a key named 0x81.
    const char* const doubleByteName = "\x81\x5C\xCE\xD2";
    EXPECT_TRUE(WriteRegistryValue(kCurrentUser, Path(doubleByteName).c_str(), NumberValue(std::int32_t{1})));
    EXPECT_EQ(Read(base, doubleByteName).status, ERROR_SUCCESS);
    EXPECT_FALSE(KeyExists(Path("\x81")));
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Path(doubleByteName).c_str()));
}

TEST_F(RegistryCommandsTest, RootNumbersOutsideTheTableAddressTheCurrentUser) {
    for (const std::int32_t root : {0, 3, 6, -1}) {
        const std::string name = "Root" + std::to_string(root);
        EXPECT_TRUE(WriteRegistryValue(root, Path(name).c_str(), NumberValue(root))) << "root number " << root;
        EXPECT_EQ(Read(base, name.c_str()).status, ERROR_SUCCESS) << "root number " << root;
        EXPECT_TRUE(RegistryValueExists(root, Path(name).c_str())) << "root number " << root;
        EXPECT_TRUE(DeleteRegistryItem(root, Path(name).c_str())) << "root number " << root;
        EXPECT_EQ(Read(base, name.c_str()).status, ERROR_FILE_NOT_FOUND) << "root number " << root;
    }
}

TEST_F(RegistryCommandsTest, AValueOfAnyTypeAndSizeExists) {
    Store(base, "EmptyBinary", REG_BINARY, nullptr, 0);
    const DWORD number = 0;
    Store(base, "Dword", REG_DWORD, &number, sizeof(number));
    Store(base, "NoType", REG_NONE, nullptr, 0);
    std::uint32_t error = 0xDEADBEEF;
    for (const char* name : {"EmptyBinary", "Dword", "NoType"}) {
        EXPECT_TRUE(RegistryValueExists(kCurrentUser, Path(name).c_str(), &error)) << name;
        EXPECT_EQ(error, 0u) << name;
    }
}

TEST_F(RegistryCommandsTest, NoValueMeansNotExisting) {
    std::uint32_t error = 0;
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Path("Missing\\Value").c_str(), &error)) << "key missing";
    EXPECT_EQ(error, kRegistryErrorFileNotFound);

    CreateKey(Path("Key"));
    error = 0;
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Path("Key").c_str(), &error)) << "a key is not a value";
    EXPECT_EQ(error, kRegistryErrorFileNotFound);
}

TEST_F(RegistryCommandsTest, DeletingRemovesTheValueAndNothingElse) {
    Store(base, "Gone", REG_SZ, "x", 2);
    Store(base, "Stays", REG_SZ, "y", 2);
    std::uint32_t error = 0xDEADBEEF;
    EXPECT_TRUE(DeleteRegistryItem(kCurrentUser, Path("Gone").c_str(), &error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(Read(base, "Gone").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read(base, "Stays").status, ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(base));
}

TEST_F(RegistryCommandsTest, DeletingNothingGivesFalseAndChangesNothing) {
    CreateKey(base);
    std::uint32_t error = 0;
    EXPECT_FALSE(DeleteRegistryItem(kCurrentUser, Path("Missing").c_str(), &error));
    EXPECT_EQ(error, kRegistryErrorFileNotFound);
    EXPECT_FALSE(DeleteRegistryItem(kCurrentUser, Path("NoKey\\Missing").c_str(), &error));
    EXPECT_EQ(error, kRegistryErrorFileNotFound);
    EXPECT_TRUE(KeyExists(base));
}

TEST_F(RegistryCommandsTest, DeletingFallsBackToAKeyOfTheWholePath) {
    CreateKey(Path("Leaf"));
    EXPECT_TRUE(DeleteRegistryItem(kCurrentUser, Path("Leaf").c_str()));
    EXPECT_FALSE(KeyExists(Path("Leaf")));

    CreateKey(Path("Parent\\Child"));
    std::uint32_t error = 0;
    EXPECT_FALSE(DeleteRegistryItem(kCurrentUser, Path("Parent").c_str(), &error)) << "a key with subkeys stays";
    EXPECT_NE(error, 0u);
    EXPECT_TRUE(KeyExists(Path("Parent\\Child")));
}

TEST_F(RegistryCommandsTest, RefusedChangesReportAccessDenied) {
    Store(Path("Locked"), "Entry", REG_SZ, "old", 4);
    const std::vector<BYTE> before = Security(Path("Locked"));
    RestrictToReading(Path("Locked"));

    std::uint32_t error = 0;
    EXPECT_FALSE(WriteRegistryValue(kCurrentUser, Path("Locked\\Entry").c_str(), TextValue("new"), &error));
    EXPECT_EQ(error, kRegistryErrorAccessDenied);
    EXPECT_EQ(Read(Path("Locked"), "Entry").data, (std::vector<std::uint8_t>{'o', 'l', 'd', 0}));

    // No key of the whole path exists either; the refusal is the cause worth reporting.
    error = 0;
    EXPECT_FALSE(DeleteRegistryItem(kCurrentUser, Path("Locked\\Entry").c_str(), &error));
    EXPECT_EQ(error, kRegistryErrorAccessDenied);

    error = 0xDEADBEEF;
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Path("Locked\\Entry").c_str(), &error)) << "reading is allowed";
    EXPECT_EQ(error, 0u);

    RestoreAccess(Path("Locked"));
    EXPECT_EQ(Security(Path("Locked")), before) << "the key's own DACL is back, not an open one";
}

} // namespace
} // namespace runtime
