// The one application object. Everything that lives for the whole run hangs
// off it: the screen, the lists, the race bookkeeping, the main menu and its
// screens, and the main loop's state. The entry point calls init and then
// run; tests drive the same loop frame by frame through startUp and runFrame.
#pragma once

#include "driver/control_source.hpp"
#include "frontend/race_drawing.hpp"
#include "frontend/race_sound.hpp"
#include "gfx/font.hpp"
#include "platform/display.hpp"
#include "platform/platform.hpp"
#include "race/ghost.hpp"
#include "race/race.hpp"
#include "race/replay_run.hpp"
#include "ui/dialog.hpp"
#include "ui/driver_select.hpp"
#include "ui/key_settings.hpp"
#include "ui/lap_records_screen.hpp"
#include "ui/menu.hpp"
#include "ui/results_screen.hpp"
#include "ui/screen_context.hpp"
#include "ui/settings.hpp"
#include "ui/standings_screen.hpp"
#include "ui/track_select.hpp"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Track;
class Car;
class Animation;
class Player;
struct PlayerProfile;
struct CarType;

enum GameState : std::int32_t {
    MainMenu = 0,
    PreRace = 1,
    StartLights = 2,
    Racing = 3,
    RaceOver = 4,
    Standings = 5,
    RaceResults = 6, // the table after a race, before the standings or the menu
    ReplayWatch = 7, // a replay shown, from the results or HALL OF FAME
};

class Game {
  public:
    static Game* instance();

    // Video, sound and the title picture; exits on what the game cannot do
    // without. A second call only clears the selections.
    void init(int argc, char** argv);
    // Loads everything, runs the main loop until QUIT, then saves.
    void run();

    // The pieces of run, for tests that drive the loop frame by frame.
    void startUp();
    void runFrame();
    void shutDown();

    // Main-menu and standings frames.
    void mainMenuFrame();
    void standingsFrame();

    // Modal message box; true when it closes with OK highlighted.
    bool showDialog(const std::string& message, bool withCancel);

    // The rules the coming race is run by, from the drive options and the
    // MISC. SETTINGS flags.
    RaceRules raceRules() const;

    // set.dat: the menu items in slot order, then both selections; and
    // selection.txt beside it, the same selections by name. Writing says on
    // stderr what failed and returns false; the files keep their old
    // contents then.
    void readSettings();
    bool writeSettings();

    // A drive item of the menu: check the selections and start a race.
    void startRace(std::int32_t mode);
    // Drops the race with its participants, their control sources, and
    // its drawing.
    void clearRace();

    // The race states' frames: the race steps, then sound and drawing
    // follow what it did.
    void preRaceFrame();
    void raceFrame();
    void raceOverFrame();
    // The results table; RETURN or ESC goes on to the standings or the menu.
    void resultsFrame();
    // The season table after a race.
    void updateStandings();
    // ESC in a season that is not over: asks whether to leave it, with the
    // race's sounds held while the box shows. True to leave.
    bool seasonUnderway() const;
    bool confirmLeavingSeason();
    PlayerProfile* findProfile(const std::string& name) const;

    // The cars in cars/ and the tracks in tracks/, read once at start-up;
    // no track at all ends the program.
    void loadCarList();
    void loadTrackList();
    // The car type named by a driver: by name, else by picture; none.
    CarType* findCar(const std::string& text);

    // Loads the coming race's track into the race and draws it. False
    // (with a message) when the map cannot be raced; nothing may then be
    // drawn or driven on it.
    bool prepareRace();

    // Drivers: read from players/ at start-up, written at quit and when a
    // race is left with ESC. A driver is only ever written to the file it
    // was read from, or for a new driver to a file name that no other file
    // in players/ has; of two files holding one name only one is read.
    void loadProfiles();
    bool saveProfile(PlayerProfile& profile);
    // Saves every driver; when any could not be saved, says so in a message
    // box and returns false.
    bool saveProfiles();
    // "players/" and the driver's file; empty for a driver without one.
    std::string profileFilePath(const PlayerProfile& profile) const;
    // A file name in players/ for a new driver of this name: the name with
    // ".pl" unless a file or another driver has it, else the name with a
    // number. Empty for a name that is not a safe file name.
    std::string freeProfileFileName(const std::string& name) const;
    // Adds a new driver with the first car where the next start will read it
    // (file name order), moves the selection along so that it names the same
    // drivers, saves its file and says in a message box whether it could.
    void createProfile(const std::string& name, std::int32_t type);
    // At start: clears the temporaries of saves that were killed, makes
    // players/ when it is missing, and tells whether drivers can be saved
    // there.
    void clearLeftoverSaves();
    bool preparePlayersDirectory();
    PlayerProfile* profileAt(std::int32_t position) const;
    const CarType* carAt(std::size_t position) const;
    // The car after the given one in the car list, the first after the
    // last; none when the car is not in the list.
    const CarType* nextCar(const CarType* car) const;

    // The race of the coming race or season, with a participant for each
    // of raceDrivers, their cars, control sources and views. False (with
    // the reason in why) when a driver's car cannot be found or made.
    bool setupRaceParticipants(std::string& why);

    // One frame of the race with its drawing and sound; the drawing only
    // when drawRace is on.
    void stepRace();
    // A human's warning in the middle of its view, while the race shows it.
    void drawWarnings();
    // Flips shown once a press of the key (M the small maps, G the ghost);
    // not while a driver of the race has the key for a control.
    void toggleOnKey(std::int32_t key, bool& keyHeld, bool& shown);

    // The race stands still: no car moves, no clock runs, no fuel is used,
    // the engines are silent, and its frames show the last one drawn with
    // PAUSED over it. P or PAUSE, or a pad's Start, pauses and goes on; so does the window
    // losing the focus, and only the key goes on.
    void pauseRace();
    void resumeRace();
    // A race frame's first step: serves the pause keys and, while paused,
    // draws the frame. True when the race is not to step this frame.
    bool racePausedFrame();
    bool paused = false;
    bool padStartHeld = false;

    SDL_Surface* screen = nullptr;
    bool initialised = false;
    std::vector<std::unique_ptr<CarType>> cars;
    std::vector<std::unique_ptr<PlayerProfile>> profiles;
    std::vector<PlayerProfile*> raceDrivers; // taking part in the coming race or season
    std::vector<std::string> tracks;         // track file names in tracks/, sorted
    // The coming or running race or season; none in the menus.
    std::unique_ptr<Race> race;
    // Where each participant's controls come from, in grid order.
    std::vector<std::unique_ptr<ControlSource>> controlSources;
    // Every race is recorded from its first step; when it ends or is left,
    // the recording becomes lastReplay and, when replays are kept, the file
    // replays/last.rpl.
    ReplayRecorder recorder;
    Replay lastReplay;
    bool keepReplays = true;
    // A human set the track's lap record in the race being recorded: its
    // replay is kept as replays/<track>-record.rpl too.
    bool recordReplayDue = false;
    // Ends the recording of the race, if one runs.
    void keepReplay();

    // Shows a replay, from the state the game is in (false with a message
    // box for one that cannot be played here); its frames step it once
    // each, LEFT and RIGHT pick the car followed, S saves it under a name,
    // ESC goes back.
    bool watchReplay(const Replay& replay);
    // The same from a file, refused with a message when it is damaged.
    bool watchReplayFile(const std::string& path);
    void replayWatchFrame();
    void stopWatching();
    void saveWatchedReplay();
    // The time trial's ghost: chosen when the race is prepared, followed
    // and drawn in its frames.
    void prepareGhost(const std::string& trackFile);
    void followGhost(const std::string& trackFile);
    void drawGhost();
    // The human's best lap on each track since the game started.
    std::map<std::string, GhostLap> ghostLaps;
    GhostLap ghost;
    GhostRecorder ghostRecorder;
    std::unique_ptr<Animation> ghostAnimation;
    std::int32_t ghostDriver = -1; // the participant it runs beside; -1: none
    bool showGhost = true;
    bool ghostKeyHeld = false;
    Replay watched;
    std::unique_ptr<ReplayRace> replayRace;
    RaceDrawing replayDrawing;
    std::int32_t replayFollowed = 0;
    std::uint32_t replayFrames = 0;
    std::int32_t replayReturnState = MainMenu;
    RaceDrawing drawing;
    RaceSound raceSound;
    std::int32_t driverCount = 0;
    std::int32_t state = MainMenu;
    Settings* settings = nullptr;
    GameMenu* mainMenu = nullptr;
    bool quit = false;
    // A tool runs the game without anyone watching: message boxes only
    // print their text and close at once.
    bool headless = false;
    // Off, a race frame moves the cars and runs the race but draws nothing:
    // a headless race that nobody looks at runs many times faster.
    bool drawRace = true;
    // A record of this race that could not be written: said after the race.
    bool lapRecordUnsaved = false;
    // The small map in each view's corner; M switches it for the rest of
    // the run.
    bool showMinimap = true;
    bool minimapKeyHeld = false;

    // The main menu tree; set.dat relies on its slots.
    void buildMainMenu();

  private:
    Game();
    ~Game();

    // What run keeps across frames.
    Settings settingsRecord;
    std::unique_ptr<GameMenu> menu;
    std::vector<std::unique_ptr<MenuItem>> menuItems;
    Uint32 loopStart = 0;
    std::int32_t blinkIndex = 0;
    std::int32_t raceOverFrames = 0;
    float framesPerSecondValue = 0;
    // The frame that was on the screen when the race paused.
    SDL_Surface* pausedFrame = nullptr;
    // Shows a race set-up failure and goes back to the menu.
    void abandonRace(const std::string& why);
    // After a race's results: the standings in a season, else the menu.
    void leaveResults();
    // Plays the menu's tick or choice sound for what the keys changed.
    void followMenuSound(std::int32_t page, std::int32_t item, std::int32_t shownScreen,
                         std::int32_t value);

  public:
    // The title picture: the background of every menu screen.
    SDL_Surface* titleImage = nullptr;
    // The window or full screen; screen is its picture, drawn at 640 x 400
    // whatever size it is shown at.
    Display display;
    // How init opens it; main takes them from the command line.
    DisplayOptions displayOptions;
    // Counts every frame of the main loop from 0.
    std::uint32_t frameCounter = 0;
    // False until the coming race has been set up.
    bool raceReady = false;
    // Frames shown of the "Race %d of %d" screen.
    std::int32_t preRaceFrames = 0;

    // The menu side: what the screens share, and the screens themselves.
    // The screens keep references to what is declared above them, so the
    // order of these members is the order they must be built in.
    Fonts fonts;
    Pads pads;
    Keyboard keyboard;
    Options options;
    Selection selection;
    ScreenContext context;
    MessageBox messageBox;
    DriverRoster roster;
    KeySettingsScreen keySettings;
    DriverCreationScreen driverCreation;
    DriverSelectionScreen driverSelection;
    TrackSelectionScreen trackSelection;
    LapRecordsScreen lapRecords;
    StandingsScreen standingsScreen;
    ResultsScreen resultsScreen;
    MenuKeys menuKeys;
    // P or PAUSE in a race, one action a press.
    KeyRepeat pauseKeys{keyboard};
    KeyRepeat replayKeys{keyboard};
    // Which screen the main-menu state shows (MenuScreen).
    std::int32_t menuScreen = MenuPages;

  private:
    bool fontsLoaded = false;
};

// Where a human's lap record on the track (a map file name) keeps the race
// that set it.
std::string recordReplayPath(const std::string& trackFile);

// The frame rate averaged over the run so far. Before a whole second has
// passed it uses the milliseconds, and before any time has passed it is 0.
float averageFrameRate(std::uint32_t frames, Uint32 elapsedMilliseconds);
