// Configuration files and XML documents against the libraries a programmer would otherwise
// reach for: FXmlFile::Load against the XML library's own LoadFile of the same 10 MiB file, and
// FConfigFile::Load of a 1 MiB file (500 sections of 40 keys) against inih filling a std::map.
#include "BenchRatio.h"

#include <tvCore/tvCore.h>

#include <ini.h>
#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

std::string BenchFolder()
{
    static const std::string Folder = [] {
        const std::filesystem::path Path = std::filesystem::temp_directory_path() / ("tvcore-bench-config-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Path);
        std::atexit([] {
            std::error_code Ignored;
            std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("tvcore-bench-config-" + std::to_string(::getpid())), Ignored);
        });
        return Path.string();
    }();
    return Folder;
}

WideText Wide(const std::string& Text) { return WideText(Text.begin(), Text.end()); }

// About 10 MiB of elements three levels deep, with attributes and texts.
const std::string& XmlPath()
{
    static const std::string Path = [] {
        const std::string File = BenchFolder() + "/doc.xml";
        std::ofstream Out(File, std::ios::binary);
        Out << "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<Scene>\n";
        std::size_t Written = 0;
        for (int i = 0; Written < 10u * 1024 * 1024; ++i) {
            std::string Entry = "    <Actor id=\"" + std::to_string(i) + "\" class=\"StaticMesh\" name=\"Actor_" + std::to_string(i) +
                                "\">\n        <Location x=\"" + std::to_string(i * 3) + ".5\" y=\"12.25\" z=\"-7\" />\n"
                                "        <Mesh>Meshes/Props/Crate_" + std::to_string(i % 50) + ".msh</Mesh>\n"
                                "        <Tags><Tag>Collide</Tag><Tag>Shadow</Tag></Tags>\n    </Actor>\n";
            Written += Entry.size();
            Out << Entry;
        }
        Out << "</Scene>\n";
        return File;
    }();
    return Path;
}

// About 1 MiB: 500 sections of 40 keys, ANSI text as a tool would write it.
const std::string& IniPath()
{
    static const std::string Path = [] {
        const std::string File = BenchFolder() + "/config.ini";
        std::ofstream Out(File, std::ios::binary);
        for (int s = 0; s < 500; ++s) {
            Out << "[Engine.Section" << s << "]\r\n";
            for (int k = 0; k < 40; ++k)
                Out << "PropertyName" << k << "=Value of section " << s << " key " << k << ", some text\r\n";
        }
        return File;
    }();
    return Path;
}

void BM_XmlLoad(benchmark::State& State)
{
    const WideText Path = Wide(XmlPath());
    for (auto _ : State) {
        FXmlFile Xml;
        if (!Xml.Load(Path.c_str()))
            State.SkipWithError("load failed");
        benchmark::DoNotOptimize(Xml.RootNode());
    }
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(XmlPath())));
}
BENCHMARK(BM_XmlLoad)->Unit(benchmark::kMillisecond);

void BM_TinyXmlLoadFile(benchmark::State& State)
{
    const std::string& Path = XmlPath();
    for (auto _ : State) {
        TiXmlDocument Document;
        if (!Document.LoadFile(Path.c_str()))
            State.SkipWithError("load failed");
        benchmark::DoNotOptimize(Document.FirstChildElement());
    }
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(XmlPath())));
}
BENCHMARK(BM_TinyXmlLoadFile)->Unit(benchmark::kMillisecond);

void BM_ConfigLoad(benchmark::State& State)
{
    const WideText Path = Wide(IniPath());
    FFileManagerWin Native;
    FFileManager* Saved = GFileManager;
    GFileManager = &Native;
    for (auto _ : State) {
        FConfigFile Config;
        if (!Config.Load(Path.c_str()))
            State.SkipWithError("load failed");
        benchmark::DoNotOptimize(Config.GetSections().GetCount());
    }
    GFileManager = Saved;
}
BENCHMARK(BM_ConfigLoad)->Unit(benchmark::kMillisecond);

int FillMap(void* User, const char* Section, const char* Name, const char* Value)
{
    auto& Map = *static_cast<std::map<std::string, std::string>*>(User);
    std::string Key = Section;
    Key += '.';
    Key += Name;
    Map[Key] = Value;
    return 1;
}

void BM_InihLoad(benchmark::State& State)
{
    const std::string& Path = IniPath();
    for (auto _ : State) {
        std::map<std::string, std::string> Map;
        if (ini_parse(Path.c_str(), FillMap, &Map) != 0)
            State.SkipWithError("parse failed");
        benchmark::DoNotOptimize(Map.size());
    }
}
BENCHMARK(BM_InihLoad)->Unit(benchmark::kMillisecond);

} // namespace

TVCORE_BENCH_RATIO("BM_XmlLoad", "BM_TinyXmlLoadFile", "goal <= 1.11 (at least 0.9x the XML library's speed)");
TVCORE_BENCH_RATIO("BM_ConfigLoad", "BM_InihLoad", "goal <= 2.0");
