// Transfers with the real wget against a small HTTP server of the test's own
// on 127.0.0.1, and against one that accepts connections and never answers.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "document/page_state.h"
#include "gfx/headless.h"
#include "net/download.h"
#include "net/downloader.h"
#include "net/navigate.h"
#include "tests/work_dir.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Request {
    std::string path, userAgent;
};

// Serves fixed bodies by path, one connection at a time, and records what
// was asked for. With `answering` false it only listens: the kernel completes
// every connection and nobody ever reads or writes on it.
struct LoopbackServer {
    int listener = -1;
    int port = 0;
    std::map<std::string, std::string> bodies;
    std::vector<Request> requests;
    std::mutex lock;
    std::atomic<bool> stopping{false};
    std::thread worker;

    void start(bool answering) {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(listener, 8), 0);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        if (answering) worker = std::thread([this] { serve(); });
    }
    void stop() {
        stopping = true;
        if (worker.joinable()) worker.join();
        if (listener >= 0) close(listener);
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }

    // Bounded: it gives up after a minute even if the test never stops it.
    void serve() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!stopping && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{listener, POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0) continue;
            int connection = accept(listener, nullptr, nullptr);
            if (connection < 0) continue;
            answer(connection);
            close(connection);
        }
    }
    void answer(int connection) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            pollfd ready{connection, POLLIN, 0};
            if (poll(&ready, 1, 5000) <= 0) return;
            ssize_t got = read(connection, buffer, sizeof buffer);
            if (got <= 0) return;
            head.append(buffer, static_cast<size_t>(got));
        }
        Request request;
        size_t space = head.find(' ');
        request.path = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
        std::istringstream lines(head);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("User-Agent: ", 0) == 0) request.userAgent = line.substr(12);
            if (!request.userAgent.empty() && request.userAgent.back() == '\r')
                request.userAgent.pop_back();
        }
        std::string body, status = "404 Not Found";
        {
            std::lock_guard<std::mutex> hold(lock);
            requests.push_back(request);
            if (bodies.count(request.path)) {
                body = bodies[request.path];
                status = "200 OK";
            }
        }
        std::string response = "HTTP/1.0 " + status + "\r\nContent-Type: application/octet-stream\r\n"
                               "Content-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body;
        for (size_t sent = 0; sent < response.size();) {
            ssize_t n = write(connection, response.data() + sent, response.size() - sent);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }
};

class RealWgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(NUVA_SOURCE_DIR) / "SYS/wgetrc", dir / "SYS/wgetrc");
        useHeadless();
        openSurface(495, 430);
        clearPageState();
    }
    void TearDown() override {
        server.stop();
    }
    WorkDir work;
    const fs::path dir = work.path();
    LoopbackServer server;
};

TEST_F(RealWgetTest, FetchesAPageItsIncludeAndADownload) {
    server.start(true);
    const std::string bytes("\x00\x01\xff binary\r\n", 12);
    server.bodies["/page"] = "\"" + server.url("/frag") + "\r\n^get>" + server.url("/files/data.bin") + "\r\n";
    server.bodies["/frag"] = "fragment text\r\n";
    server.bodies["/files/data.bin"] = bytes;

    navigate(server.url("/page"));
    EXPECT_EQ(readFile("SYS/VEKT00.VEK"), server.bodies["/page"]);
    EXPECT_EQ(readFile("SYS/VEKT01.VEK"), "fragment text\r\n");
    EXPECT_EQ(page.includes[1].location, server.url("/frag"));
    ASSERT_EQ(page.links[1].kind, Download);
    ASSERT_EQ(page.links[1].target, server.url("/files/data.bin"));

    downloadFile(page.links[1].target);
    EXPECT_EQ(readFile("data.bin"), bytes);

    std::lock_guard<std::mutex> hold(server.lock);
    ASSERT_EQ(server.requests.size(), 3u);
    EXPECT_EQ(server.requests[0].path, "/page");
    EXPECT_EQ(server.requests[1].path, "/frag");
    EXPECT_EQ(server.requests[2].path, "/files/data.bin");
    for (const Request& request : server.requests) EXPECT_EQ(request.userAgent, "NUVA/3");
}

TEST_F(RealWgetTest, ASilentServerIsGivenUpWithinSeconds) {
    server.start(false);
    // Far below the hard time-out of the downloader itself, far above the
    // read time-out of SYS/wgetrc: only the settings file can end it in time.
    auto transfer = std::async(std::launch::async, [this] {
        runDownloader("SYS/VEKT00.VEK", server.url("/never"));
    });
    EXPECT_EQ(transfer.wait_for(std::chrono::seconds(40)), std::future_status::ready);
}

}  // namespace
