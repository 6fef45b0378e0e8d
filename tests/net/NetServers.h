// Real servers for the download manager's tests, on 127.0.0.1 only: nginx with a configuration,
// prefix, pid file and temporary folders of its own (HTTP, and HTTPS with HTTP/2 over a
// certificate made at start), and the scripted fault server (fault_server.py). Each runs as a
// child process that the fixture stops; both end by themselves if the test program dies.
#pragma once

#include "files/TempFolder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace NetTest {

// Byte i of every served test file.
inline unsigned char PatternByte(std::uint64_t i) { return static_cast<unsigned char>(i % 251); }
inline std::vector<unsigned char> Pattern(std::uint64_t Offset, std::size_t Size)
{
    std::vector<unsigned char> Bytes(Size);
    for (std::size_t i = 0; i < Size; ++i)
        Bytes[i] = PatternByte(Offset + i);
    return Bytes;
}

// A port on 127.0.0.1 that nobody listens on right now.
inline int FreePort()
{
    const int Socket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Length = sizeof Address;
    int Port = 0;
    if (bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0 &&
        getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length) == 0)
        Port = ntohs(Address.sin_port);
    close(Socket);
    return Port;
}

// Whether something accepts connections on 127.0.0.1:Port, waiting up to Seconds.
inline bool WaitForListener(int Port, double Seconds)
{
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds);
    while (std::chrono::steady_clock::now() < Deadline) {
        const int Socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        Address.sin_port = htons(static_cast<std::uint16_t>(Port));
        const bool Connected = connect(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0;
        close(Socket);
        if (Connected)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A child process with an optional pipe to its standard input (the child ends when it closes)
// and from its standard output.
class FChild {
public:
    bool Start(const std::vector<std::string>& Arguments, bool Pipes)
    {
        std::vector<char*> Argv;
        for (const std::string& Argument : Arguments)
            Argv.push_back(const_cast<char*>(Argument.c_str()));
        Argv.push_back(nullptr);
        posix_spawn_file_actions_t Actions;
        posix_spawn_file_actions_init(&Actions);
        int In[2] = {-1, -1}, Out[2] = {-1, -1};
        if (Pipes) {
            if (pipe(In) != 0 || pipe(Out) != 0)
                return false;
            posix_spawn_file_actions_adddup2(&Actions, In[0], 0);
            posix_spawn_file_actions_adddup2(&Actions, Out[1], 1);
            posix_spawn_file_actions_addclose(&Actions, In[1]);
            posix_spawn_file_actions_addclose(&Actions, Out[0]);
        }
        const bool Ok = posix_spawnp(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&Actions);
        if (Pipes) {
            close(In[0]);
            close(Out[1]);
            ToChild = In[1];
            FromChild = fdopen(Out[0], "r");
        }
        if (!Ok)
            Pid = -1;
        return Ok;
    }
    // The first line the child prints.
    std::string ReadLine()
    {
        char Line[256] = {};
        if (!FromChild || !std::fgets(Line, sizeof Line, FromChild))
            return std::string();
        return Line;
    }
    void Stop()
    {
        if (ToChild >= 0)
            close(ToChild);
        ToChild = -1;
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            int Status = 0;
            for (int i = 0; i < 200 && waitpid(Pid, &Status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (waitpid(Pid, &Status, WNOHANG) == 0) {
                kill(Pid, SIGKILL);
                waitpid(Pid, &Status, 0);
            }
        }
        Pid = -1;
        if (FromChild)
            std::fclose(FromChild);
        FromChild = nullptr;
    }
    ~FChild() { Stop(); }

private:
    pid_t Pid = -1;
    int ToChild = -1;
    std::FILE* FromChild = nullptr;
};

inline bool RunQuiet(const std::string& Command) { return std::system((Command + " >/dev/null 2>&1").c_str()) == 0; }

// The scripted fault server.
class FFaultServer {
public:
    bool Start()
    {
        if (!Child.Start({"python3", TVCORE_TEST_SOURCE_DIR "/net/fault_server.py"}, true))
            return false;
        Port = std::atoi(Child.ReadLine().c_str());
        return Port > 0 && WaitForListener(Port, 10.0);
    }
    void Stop() { Child.Stop(); }
    std::string Url(const std::string& Path) const { return "http://127.0.0.1:" + std::to_string(Port) + Path; }

private:
    FChild Child;
    int Port = 0;
};

// nginx over a folder of its own: www/ is served over HTTP on Port and over HTTPS (HTTP/2
// offered) on TlsPort, with a few locations that the tests need.
class FNginx {
public:
    bool Start()
    {
        if (!Folder.Ok())
            return false;
        const std::string Prefix = Folder.Native("");
        Port = FreePort();
        TlsPort = FreePort();
        std::filesystem::create_directories(Prefix + "www/gz");
        std::filesystem::create_directories(Prefix + "www/norange");
        std::filesystem::create_directories(Prefix + "temp");
        // A certificate for 127.0.0.1, made now; the tests trust it as their own authority.
        const bool Tls = RunQuiet("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1"
                                  " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
                                  Prefix + "key.pem -out " + Prefix + "cert.pem");
        std::ofstream Conf(Prefix + "nginx.conf");
        Conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
             << "error_log " << Prefix << "error.log;\npid " << Prefix << "nginx.pid;\n"
             << "events { worker_connections 64; }\n"
             << "http {\n  access_log off;\n  default_type application/octet-stream;\n  sendfile on;\n"
             << "  client_body_temp_path " << Prefix << "temp/body;\n  proxy_temp_path " << Prefix << "temp/proxy;\n"
             << "  fastcgi_temp_path " << Prefix << "temp/fastcgi;\n  uwsgi_temp_path " << Prefix << "temp/uwsgi;\n"
             << "  scgi_temp_path " << Prefix << "temp/scgi;\n"
             << "  log_format protocol '$server_protocol $status $request_uri';\n"
             << "  server {\n    listen 127.0.0.1:" << Port << ";\n    root " << Prefix << "www;\n"
             << "    location = /moved { return 302 /file.bin; }\n"
             << "    location = /loop { return 302 /loop; }\n"
             << "    location /gz/ { gzip on; gzip_types *; gzip_min_length 1; gzip_comp_level 1; }\n"
             << "    location /norange/ { max_ranges 0; }\n  }\n";
        if (Tls)
            Conf << "  server {\n    listen 127.0.0.1:" << TlsPort << " ssl http2;\n    root " << Prefix << "www;\n"
                 << "    access_log " << Prefix << "tls.log protocol;\n"
                 << "    ssl_certificate " << Prefix << "cert.pem;\n    ssl_certificate_key " << Prefix << "key.pem;\n  }\n";
        Conf << "}\n";
        Conf.close();
        if (!Child.Start({"nginx", "-e", Prefix + "error.log", "-p", Prefix, "-c", Prefix + "nginx.conf"}, false))
            return false;
        HasTls = Tls && WaitForListener(TlsPort, 10.0);
        return WaitForListener(Port, 10.0);
    }
    void Stop() { Child.Stop(); }

    // Puts a file of the test pattern (or of the given bytes) under www/.
    void Serve(const std::string& Name, const std::vector<unsigned char>& Bytes) { Folder.Write("www/" + Name, Bytes); }
    std::string Native(const std::string& Name) const { return Folder.Native(Name); }
    std::string Url(const std::string& Path) const { return "http://127.0.0.1:" + std::to_string(Port) + Path; }
    std::string TlsUrl(const std::string& Path) const { return "https://127.0.0.1:" + std::to_string(TlsPort) + Path; }
    bool Tls() const { return HasTls; }
    std::string CertificateFile() const { return Folder.Native("cert.pem"); }
    std::string TlsLog() const
    {
        std::string Text;
        if (std::FILE* File = std::fopen(Folder.Native("tls.log").c_str(), "rb")) {
            char Buffer[4096];
            std::size_t Got;
            while ((Got = std::fread(Buffer, 1, sizeof Buffer, File)) > 0)
                Text.append(Buffer, Got);
            std::fclose(File);
        }
        return Text;
    }

private:
    FTempFolder Folder;
    FChild Child;
    int Port = 0;
    int TlsPort = 0;
    bool HasTls = false;
};

} // namespace NetTest
