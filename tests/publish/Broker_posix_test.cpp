// lumo2-tool record publishing to a real broker: Debian's mosquitto, started
// by the test on a free port of 127.0.0.1 with a configuration of its own,
// and mosquitto_sub as the office's consumer.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "events/Log_capture.h"
#include "link/Lumo_data.h"
#include "publish/Journal_publisher.h"
#include "sim/Port_link.h"
#include "sim/Zeta_simulator.h"
#include "tool/Tool_fixtures.h"
#include "view/Measure_table.h"

extern char** environ;

namespace {

using Tclock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const char BROKER[] = "/usr/sbin/mosquitto";

// A process started with its standard output and error in a file.
class Tprocess {
public:
    Tprocess() = default;
    Tprocess(const Tprocess&) = delete;
    Tprocess& operator=(const Tprocess&) = delete;
    ~Tprocess() { end(SIGKILL); }

    bool start(const std::vector<std::string>& words, const std::string& output)
    {
        std::vector<char*> argv;
        for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        const bool started = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&files);
        if (!started) pid = -1;
        return started;
    }
    // The exit status; -1 when killed by a signal.
    int end(int signal_number)
    {
        if (pid <= 0) return -1;
        kill(pid, signal_number);
        int raw = 0;
        waitpid(pid, &raw, 0);
        pid = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    int wait_exit()
    {
        int raw = 0;
        waitpid(pid, &raw, 0);
        pid = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

private:
    pid_t pid = -1;
};

int free_port()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

bool port_answers(int port)
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return answered;
}

bool eventually(const std::function<bool()>& done, milliseconds limit = milliseconds(15000))
{
    for (const Tclock::time_point give_up = Tclock::now() + limit; Tclock::now() < give_up;) {
        if (done()) return true;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return done();
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The rows of a table file, without its header.
std::vector<std::string> table_rows(const Ttemp_dir& dir, const std::string& name)
{
    std::vector<std::string> rows = lines_of(dir.read(name));
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

// The message a row must give, written out from its cells: the numbers as
// they stand, "-" as null, the date cell as ISO 8601.
std::string expected_message(const std::string& row, const std::string& station, size_t seq)
{
    std::vector<std::string> cells;
    for (size_t start = 0, end; (end = row.find(';', start)) != std::string::npos; start = end + 1)
        cells.push_back(row.substr(start, end - start));
    auto value = [&](int column) { return cells[column] == "-" ? std::string("null") : cells[column]; };
    const std::string& date = cells[1];  // dd.mm.yyyy hh:mm:ss
    const std::string utc = date.substr(6, 4) + "-" + date.substr(3, 2) + "-" + date.substr(0, 2) + "T" +
                            date.substr(11, 8) + "Z";
    return "{\"station\":\"" + station + "\",\"seq\":" + std::to_string(seq) + ",\"time\":" + cells[0] +
           ",\"utc\":\"" + utc + "\",\"delta_mV\":{\"A\":" + value(3) + ",\"B\":" + value(4) + ",\"C\":" + value(5) +
           ",\"T\":" + value(6) + "},\"ppb\":{\"A\":" + value(8) + ",\"B\":" + value(9) + ",\"C\":" + value(10) +
           "},\"ntu\":" + value(11) + ",\"temp_C\":" + value(7) + "}";
}

std::string read_path(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t seq_of(const std::string& message)
{
    const size_t at = message.find("\"seq\":");
    return at == std::string::npos ? 0 : std::stoul(message.substr(at + 6));
}

class Broker : public testing::Test {
protected:
    void SetUp() override
    {
        if (access(BROKER, X_OK) != 0) GTEST_SKIP() << BROKER << " is not installed (scripts/setup.sh)";
        setenv("LUMO2_PORT_DIR", dir.file("ports").c_str(), 1);
        setenv("LUMO2_MQTT_RETRY_MS", "100", 1);
        simulator.set_delay_ms(20);
        std::string error;
        ASSERT_TRUE(simulator.start(&error)) << error;
        com = link_com_port(simulator.slave_path(), 0, error);
        ASSERT_GT(com, 0) << error;
        port = free_port();
    }
    void TearDown() override
    {
        simulator.stop();
        unsetenv("LUMO2_PORT_DIR");
        unsetenv("LUMO2_MQTT_RETRY_MS");
        unsetenv("LUMO2_MQTT_PASSWORD");
    }

    // Plain, anonymous, and keeping sessions across a restart, so that the
    // consumer misses nothing while the broker is down.
    void configure(const std::string& more = "allow_anonymous true\n")
    {
        const passwd* me = getpwuid(geteuid());
        dir.write("broker.conf", "listener " + std::to_string(port) + " 127.0.0.1\n" + more +
                                     "persistence true\npersistence_location " + dir.path + "/\nuser " +
                                     (me ? me->pw_name : "root") + "\n");
    }
    void start_broker()
    {
        ASSERT_TRUE(broker.start({BROKER, "-c", dir.file("broker.conf")}, dir.file("broker.log")));
        ASSERT_TRUE(eventually([this] { return port_answers(port); }, milliseconds(5000))) << dir.read("broker.log");
    }
    // mosquitto_sub with a lasting session: made first, so that no row
    // published before the consumer runs is missed.
    void subscribe(const std::vector<std::string>& login = {})
    {
        std::vector<std::string> words = {"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port),
                                          "-t", "lab/+/row", "-q", "1", "-c", "-i", "office"};
        words.insert(words.end(), login.begin(), login.end());
        std::vector<std::string> once = words;
        once.push_back("-E");
        Tprocess session;
        ASSERT_TRUE(session.start(once, dir.file("session.log")));
        ASSERT_EQ(session.wait_exit(), 0) << dir.read("session.log");
        ASSERT_TRUE(consumer.start(words, dir.file("received")));
    }
    std::vector<std::string> received() const { return lines_of(dir.read("received")); }

    std::vector<std::string> recorder_words(const std::string& options) const
    {
        std::vector<std::string> words = {LUMO2_TOOL, "record", "--port", std::to_string(com), "-o",
                                          dir.file("table.csv"), "--station", "s1"};
        for (size_t start = 0, end; start < options.size(); start = end + 1) {
            end = options.find(' ', start);
            if (end == std::string::npos) end = options.size();
            words.push_back(options.substr(start, end - start));
        }
        return words;
    }
    std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port) + "/lab"; }

    Ttemp_dir dir;
    Tzeta_simulator simulator;
    int com = 0;
    int port = 0;
    Tprocess broker;
    Tprocess consumer;
};

TEST_F(Broker, RowsArriveAsTheTableHasThemAndTheStatusSaysOffline)
{
    configure();
    start_broker();
    subscribe();
    Tprocess recorder;
    ASSERT_TRUE(recorder.start(recorder_words("--every 1 --count 3 --publish " + url()), dir.file("recorder.log")));
    EXPECT_EQ(recorder.wait_exit(), 0) << dir.read("recorder.log");

    const std::vector<std::string> rows = table_rows(dir, "table.csv");
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(eventually([&] { return received().size() >= 3; })) << dir.read("received");
    const std::vector<std::string> messages = received();
    ASSERT_EQ(messages.size(), 3u);
    for (size_t seq = 1; seq <= 3; ++seq) EXPECT_EQ(messages[seq - 1], expected_message(rows[seq - 1], "s1", seq));
    EXPECT_EQ(dir.read("table.csv.published"), "acknowledged 3 " + rows[2].substr(0, rows[2].find(';')) + "\n");

    Tprocess status;
    ASSERT_TRUE(status.start({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-t",
                              "lab/s1/status", "-C", "1", "-W", "5"},
                             dir.file("status")));
    EXPECT_EQ(status.wait_exit(), 0);
    EXPECT_EQ(dir.read("status"), "offline\n") << "retained on a clean stop";
}

// The broker goes away for a while; meanwhile the recorder is killed and
// started again. Every row reaches the consumer, in order; a row is sent
// twice at most when its acknowledgement was lost with the connection.
TEST_F(Broker, AnOutageAndARestartLoseNothing)
{
    configure();
    start_broker();
    subscribe();
    Tprocess recorder;
    ASSERT_TRUE(recorder.start(recorder_words("--every 1 --publish " + url()), dir.file("recorder.log")));
    ASSERT_TRUE(eventually([&] { return received().size() >= 2; })) << dir.read("recorder.log");

    EXPECT_EQ(broker.end(SIGTERM), 0);
    const size_t before_outage = table_rows(dir, "table.csv").size();
    ASSERT_TRUE(eventually([&] { return table_rows(dir, "table.csv").size() >= before_outage + 2; }));
    recorder.end(SIGKILL);
    ASSERT_TRUE(recorder.start(recorder_words("--every 1 --publish " + url()), dir.file("recorder.log")));
    const size_t after_restart = table_rows(dir, "table.csv").size();
    ASSERT_TRUE(eventually([&] { return table_rows(dir, "table.csv").size() >= after_restart + 2; }));

    start_broker();
    ASSERT_TRUE(eventually([&] {
        const std::vector<std::string> messages = received();
        return !messages.empty() && seq_of(messages.back()) >= after_restart + 3;
    })) << dir.read("recorder.log");
    EXPECT_EQ(recorder.end(SIGTERM), 0) << dir.read("recorder.log");

    const std::vector<std::string> rows = table_rows(dir, "table.csv");
    ASSERT_TRUE(eventually([&] { return !received().empty() && seq_of(received().back()) == rows.size(); }))
        << "the rows written before the stop went out with it";
    size_t next = 1;
    std::vector<int> arrivals(rows.size() + 1);
    for (const std::string& message : received()) {
        const size_t seq = seq_of(message);
        ASSERT_TRUE(seq == next || seq < next) << "row " << next << " missing or out of order: " << message;
        if (seq == next) next++;
        EXPECT_LE(++arrivals.at(seq), 2) << "row " << seq << " sent again and again";
        EXPECT_EQ(message, expected_message(rows.at(seq - 1), "s1", seq));
    }
    EXPECT_EQ(next, rows.size() + 1);
    // Each outage said once by each run of the recorder, however often it
    // tried again.
    const std::string broker_name = "127.0.0.1:" + std::to_string(port);
    const std::string said = dir.read("recorder.log");
    for (const std::string& outage : {broker_name + ": connection lost; rows are kept and sent once it answers\n",
                                      broker_name + ": Connection refused; rows are kept and sent once it answers\n"}) {
        size_t times = 0;
        for (size_t at = said.find(outage); at != std::string::npos; at = said.find(outage, at + 1)) times++;
        EXPECT_EQ(times, 1u) << outage << said;
    }
}

TEST_F(Broker, TlsWithALoginAndARefusedOne)
{
    const std::string commands =
        "cd '" + dir.path + "' && "
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.crt "
        "-days 2 -subj /CN=lumo2-test-ca && "
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr "
        "-subj /CN=127.0.0.1 && printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext && "
        "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt -days 2 "
        "-extfile san.ext && mosquitto_passwd -c -b passwords field s3cret";
    ASSERT_EQ(std::system(("(" + commands + ") >'" + dir.file("openssl.log") + "' 2>&1").c_str()), 0)
        << dir.read("openssl.log");
    configure("allow_anonymous false\npassword_file " + dir.file("passwords") + "\ncafile " + dir.file("ca.crt") +
              "\ncertfile " + dir.file("server.crt") + "\nkeyfile " + dir.file("server.key") + "\n");
    start_broker();
    subscribe({"--cafile", dir.file("ca.crt"), "-u", "field", "-P", "s3cret"});

    const std::string tls_url = "mqtts://field@127.0.0.1:" + std::to_string(port) + "/lab";
    setenv("LUMO2_MQTT_PASSWORD", "s3cret", 1);
    Tprocess recorder;
    ASSERT_TRUE(recorder.start(recorder_words("--every 1 --count 2 --publish " + tls_url + " --ca " +
                                              dir.file("ca.crt")),
                               dir.file("recorder.log")));
    EXPECT_EQ(recorder.wait_exit(), 0) << dir.read("recorder.log");
    ASSERT_TRUE(eventually([&] { return received().size() >= 2; })) << dir.read("recorder.log");
    EXPECT_EQ(received()[1], expected_message(table_rows(dir, "table.csv")[1], "s1", 2));

    setenv("LUMO2_MQTT_PASSWORD", "wrong", 1);
    const Ttool_run refused = run_tool_binary(
        dir, "record --port " + std::to_string(com) + " --count 5 -o '" + dir.file("refused.csv") + "' --publish " +
                 tls_url + " --ca '" + dir.file("ca.crt") + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("lumo2-tool record: 127.0.0.1:" + std::to_string(port) +
                               " refused the login: Connection Refused: not authorised\n"),
              std::string::npos)
        << refused.err;

    // A CA file that cannot be read stops the recorder before the table.
    const Ttool_run unreadable = run_tool_binary(
        dir, "record --port " + std::to_string(com) + " -o '" + dir.file("never.csv") + "' --publish " + tls_url +
                 " --ca '" + dir.file("missing.crt") + "'");
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.err, "lumo2-tool record: --ca: \"" + dir.file("missing.crt") + "\" cannot be read\n");
    EXPECT_EQ(dir.read("never.csv"), "");
}

// The program's side: the journal is the store, and "clear" begins a new
// journal whose rows are numbered from 1 again.
TEST_F(Broker, TheProgramPublishesItsJournalAndFollowsTheNextOne)
{
    configure();
    start_broker();
    subscribe();
    Log_capture log;
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(dir.file("journal"));
    std::unique_ptr<Tjournal_publisher> publishing =
        Tjournal_publisher::start({url(), "p1", ""}, &table, &journal);
    ASSERT_TRUE(publishing);
    auto add_row = [&](int32_t timestamp) {
        Tlumo_measure measure;
        measure.timestamp = timestamp;
        measure.delta[0] = 12.5f;
        table.table_add(&measure);
    };
    add_row(1607337600);
    add_row(1607337610);
    const std::string first = journal.current_path();
    table.table_clear();
    add_row(1607337620);
    ASSERT_NE(journal.current_path(), first);
    ASSERT_TRUE(eventually([&] { return received().size() >= 3; })) << dir.read("received");
    const std::vector<std::string> messages = received();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("\"seq\":1,\"time\":1607337600,"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("\"seq\":2,\"time\":1607337610,"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find("\"seq\":1,\"time\":1607337620,"), std::string::npos) << messages[2];
    const std::string second = journal.current_path();
    publishing.reset();
    EXPECT_EQ(read_path(first + ".published"), "acknowledged 2 1607337610\n");
    EXPECT_EQ(read_path(second + ".published"), "acknowledged 1 1607337620\n");
    EXPECT_EQ(log.lines().at(0), "MQTT: publishing every row of the journal to 127.0.0.1:" + std::to_string(port) +
                                     " as lab/p1/row");

    // What cannot be published is one line of the log, and nothing else.
    log.lines().clear();
    EXPECT_FALSE(Tjournal_publisher::start({"mqtt//broken", "p1", ""}, &table, &journal));
    Tmeasure_journal without_folder(&table);
    EXPECT_FALSE(Tjournal_publisher::start({url(), "p1", ""}, &table, &without_folder));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "ERROR : MQTT: --publish: \"mqtt//broken\" is not mqtt://[USER[:PASSWORD]@]HOST[:PORT]/"
                               "PREFIX or mqtts://...; nothing is published",
                               "ERROR : MQTT: no journal, which holds the rows to publish; nothing is published"}));
}

}  // namespace
