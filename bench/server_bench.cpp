// 1 GiB through the companion server: to the echo plug-in and back with
// vnServer_sendBufferToPlugin / vnServer_getDataFromPlugin, and uploaded
// with vnServer_sendFile; each against a plain send/recv loop that speaks
// the same bytes to the same server in the same run. PELUND_BENCH_SERVER_MIB
// shrinks the payload on a busy machine (the names keep saying 1 GiB).
#include "pelund/misc.h"
#include "pelund/server.h"
#include "server/wire_format.h"
#include "server_fixture.h"

#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const size_t gib = [] {
    const char* mib = std::getenv("PELUND_BENCH_SERVER_MIB");
    size_t n = mib ? size_t(std::strtoul(mib, nullptr, 10)) : 0;
    return (n > 0 && n <= 1024 ? n : 1024) << 20;
}();

servertest::CompanionServer& server()
{
    static servertest::CompanionServer s;  // stopped when the run ends
    return s;
}

const std::string& payload()
{
    static const std::string data = [] {
        std::string d(gib, '\0');
        for (size_t k = 0; k < d.size(); k += 4096)
            d[k] = char(k >> 12);
        return d;
    }();
    return data;
}

int plainConnect()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(std::stoi(server().port())));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    char greeting[1024];
    recv(s, greeting, sizeof greeting, 0);
    return s;
}

void plainSend(int s, const char* p, size_t n)
{
    while (n > 0) {
        ssize_t sent = send(s, p, std::min<size_t>(n, 1 << 20), MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        p += sent;
        n -= size_t(sent);
    }
}

size_t plainReceive(int s, char* p, size_t n)
{
    size_t got = 0;
    while (got < n) {
        ssize_t r = recv(s, p + got, std::min<size_t>(n - got, 1 << 20), 0);
        if (r <= 0)
            break;
        got += size_t(r);
    }
    return got;
}

void bytes(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gib));
}

void echo_ours(benchmark::State& state)
{
    const std::string& data = payload();
    vnServer_startWinsock(nullptr);
    socketData* c = nullptr;
    if (vnServer_openConnectionToPlugin(&c, "127.0.0.1", server().port().c_str(), "echo", nullptr,
                                        nullptr) != 0) {
        state.SkipWithError("no echo plug-in");
        return;
    }
    for (auto _ : state) {
        vnServer_sendBufferToPlugin(c, data.data(), data.size());
        void* back = nullptr;
        size_t size = 0;
        vnServer_getDataFromPlugin(c, &back, &size);
        if (size != data.size())
            state.SkipWithError("short echo");
        psMisc_freeBuffer(&back);
    }
    vnServer_closeConnectionToPlugin(c);
    bytes(state);
}

void echo_peer(benchmark::State& state)
{
    const std::string& data = payload();
    int s = plainConnect();
    plainSend(s, "%echo", 6);
    char reply[7];
    recv(s, reply, sizeof reply, 0);
    std::unique_ptr<char[]> back(new char[gib]);
    for (auto _ : state) {
        char header[5] = {'B', char(gib & 0xFF), char((gib >> 8) & 0xFF), char((gib >> 16) & 0xFF),
                          char((gib >> 24) & 0xFF)};
        plainSend(s, header, 5);
        plainSend(s, data.data(), data.size());
        char count[4];
        plainReceive(s, count, 4);
        if (plainReceive(s, back.get(), gib) != gib)
            state.SkipWithError("short echo");
    }
    plainSend(s, "X", 1);
    close(s);
    bytes(state);
}

std::string uploadFile()
{
    static const std::string path = [] {
        std::string p = servertest::temporaryFolder() + "/upload.bin";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(payload().data(), 1, payload().size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void upload_ours(benchmark::State& state)
{
    std::string path = uploadFile();
    for (auto _ : state)
        if (vnServer_sendFile("127.0.0.1", server().port().c_str(), path.c_str(), "big.bin", 0,
                              nullptr) != 0)
            state.SkipWithError("upload failed");
    bytes(state);
}

void upload_peer(benchmark::State& state)
{
    std::string path = uploadFile();
    std::vector<char> chunk(1 << 20);
    for (auto _ : state) {
        int s = plainConnect();
        std::string header = "~";
        header.push_back('\0');
        uint32_t size = uint32_t(gib);
        for (int k = 0; k < 4; ++k)
            header.push_back(char((size >> (8 * k)) & 0xFF));
        header += "big.bin";
        plainSend(s, header.c_str(), header.size() + 1);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        for (size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0;)
            plainSend(s, chunk.data(), n);
        std::fclose(f);
        char ack[3];
        if (plainReceive(s, ack, 3) != 3)
            state.SkipWithError("no acknowledgement");
        shutdown(s, SHUT_WR);
        while (recv(s, chunk.data(), chunk.size(), 0) > 0) {
        }
        close(s);
    }
    bytes(state);
}

}  // namespace

BENCHMARK(echo_peer)->Name("server_echo_1GiB/peer")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(echo_ours)->Name("server_echo_1GiB/ours")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(upload_peer)->Name("server_upload_1GiB/peer")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(upload_ours)->Name("server_upload_1GiB/ours")->Unit(benchmark::kMillisecond)->Iterations(2);
