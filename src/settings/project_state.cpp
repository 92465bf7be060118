// Reset of the job record and the random number behind "%rnd%".
#include "settings/project_state.h"

#include <mutex>
#include <random>

namespace orvex {

int32_t DrawRandomNumber() {
    static std::mutex lock;
    static std::mt19937 engine{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    return std::uniform_int_distribution<int32_t>(1, 99999)(engine);
}

void ResetProjectState(ProjectState& project, const std::string& appFolder) {
    project = ProjectState{};
    project.AppFolder = appFolder;
    project.ProjectFile = "untitled.lmv";
    project.RandomNumber = DrawRandomNumber();
    project.FileCounter = 1;
}

}  // namespace orvex
