// The choice of backend by openConnection / openAdmin, and the SQL Server path reaching a real
// TCP endpoint through the FreeTDS driver (a silent local listener stands in for the server).
#include "tests/platform/TestSupport.h"

#include "platform/db/Connection.h"
#include "platform/db/DbAdmin.h"

#include <arpa/inet.h>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using namespace quillan;

namespace {

// Listens on 127.0.0.1 (port chosen by the system) and never answers: the kernel completes the
// connections into the backlog, and accepted() takes them out to count them.
class SilentServer {
public:
    SilentServer() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 16);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~SilentServer() {
        accepted();
        ::close(fd_);
    }
    int port() const { return port_; }
    int accepted() {
        for (int c; (c = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
            ::close(c);
            ++accepted_;
        }
        return accepted_;
    }

private:
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    int port_ = 0;
    int accepted_ = 0;
};

} // namespace

// A server that takes the connection and never answers must not hang start-up: the login gives
// up after the login time-out with a DbError, for the connection and the administration alike.
TEST(Dispatch, SqlServerStringReachesTheServerAndTheLoginTimesOut) {
    SilentServer server;
    test::EnvGuard driver("QUILLAN_ODBC_DRIVER", std::string("FreeTDS"));
    test::EnvGuard timeout("QUILLAN_ODBC_LOGIN_TIMEOUT", std::string("2"));
    test::TempDir dir;
    const std::string hostPort = "127.0.0.1," + std::to_string(server.port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(db::openConnection("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                                    "Initial Catalog=TervikDB;Data Source=" +
                                        hostPort,
                                    dir.path()),
                 db::DbError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_GE(server.accepted(), 1) << "the driver did not connect to the port given as host,port";
    const int before = server.accepted();
    auto admin = db::openAdmin("Provider=SQLOLEDB.1;Data Source=127.0.0.1;Initial Catalog=T", dir.path());
    EXPECT_THROW(admin->connect(hostPort, "sa", "  "), db::DbError);
    EXPECT_GT(server.accepted(), before);
}

TEST(Dispatch, SqliteProviderSelectsTheEmbeddedEngine) {
    test::TempDir dir;
    // The provider name and the keys are matched without regard to case; the default folder is Data.
    auto conn = db::openConnection("provider = sqlite ;initial catalog=master", dir.path());
    EXPECT_TRUE(std::filesystem::exists(dir / "Data"));
    conn->execute("CREATE DATABASE Tervik");
    // A folder the string names must exist: a typo is reported as such, and nothing is created.
    for (const auto& [text, folder] : {std::pair{(dir / "abs").string(), dir / "abs"},
                                       std::pair{std::string("rel\\sub"), dir / "rel" / "sub"}}) {
        const std::string cs = "Provider=SQLite;Data Folder=" + text + ";Initial Catalog=master";
        const auto missing = ThrowsMessage<db::DbError>(
            AllOf(HasSubstr("'" + folder.string() + "'"), HasSubstr("does not exist")));
        EXPECT_THAT([&] { db::openConnection(cs, dir.path()); }, missing);
        EXPECT_THAT([&] { db::openAdmin(cs, dir.path()); }, missing);
        EXPECT_FALSE(std::filesystem::exists(folder)) << text;
        std::filesystem::create_directories(folder);
        db::openConnection(cs, dir.path())->execute("SELECT 1");
        EXPECT_TRUE(std::filesystem::exists(folder / "master.sqlite")) << text;
    }
    auto admin = db::openAdmin("Provider=SQLite;Initial Catalog=Tervik", dir.path());
    admin->connect("", "", "");
    admin->executeBatch("Tervik", "CREATE TABLE t (x INT)");
    auto rs = admin->query("Tervik", "SELECT count(*) AS n FROM t");
    EXPECT_EQ(rs.field("n").asInt(), 0);
}
