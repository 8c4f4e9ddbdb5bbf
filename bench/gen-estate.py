#!/usr/bin/env python3
"""Writes a synthetic NetWorker estate of N clients as replayable nsradmin reports,
for measuring how client discovery scales. Same seed, same bytes.

    bench/gen-estate.py --clients 20000 --out build/bench-data/c20000 [--seed 1]
"""

import argparse
import datetime
import os
import random
import sys

SERVER = "nwsrv01"
DOMAIN = "lab.local"
VERSION = "8.2.1.0.Build.154"
BANNER = ('NetWorker administration program.\n'
          'Use the "help" command for help, "visual" for full-screen mode.\n'
          'nsradmin> ')
WRAP_WIDTH = 80      # nsradmin wraps list values before this column
VALUE_COLUMN = 30    # values (and wrapped list lines) start here
NAME_WIDTH = 28      # attribute names are right-aligned to end here

# --- layout helpers -------------------------------------------------------


def attr(name, value):
    """One attribute line as nsradmin prints it; `value` is already quoted."""
    return "%s: %s;\n" % (name.rjust(NAME_WIDTH), value)


def quote(value):
    """A value as nsradmin prints it: quoted, backslashes doubled, when it holds
    a separator or outer blanks."""
    if any(c in value for c in ",;:\"") or value != value.strip():
        return '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')
    return value


def wrapped_list(items):
    """A list value wrapped before WRAP_WIDTH, each wrapped line ending in ", "
    and the next one indented to VALUE_COLUMN."""
    items = [quote(i) for i in items]
    lines, current = [], items[0]
    for item in items[1:]:
        if VALUE_COLUMN + len(current) + 2 + len(item) + 2 > WRAP_WIDTH:
            lines.append(current + ", ")
            current = item
        else:
            current += ", " + item
    lines.append(current)
    return ("\n" + " " * VALUE_COLUMN).join(lines)


def list_after_backslash(items):
    """A list moved to the next line after a lone backslash (starts at column 0)."""
    return "\\\n" + ", ".join(quote(i) for i in items)


def report(blocks):
    """An nsradmin session printing `blocks` (each a run of attribute lines)."""
    return BANNER + "\n".join(blocks) + "\nnsradmin> \n"


def ctime(moment):
    """ctime-style date with the blank-padded day NetWorker prints."""
    return moment.strftime("%a %b ") + "%2d" % moment.day + moment.strftime(" %H:%M:%S %Y")


# --- estate vocabulary ----------------------------------------------------

# (name, period, action lines); a monthly action goes over several lines.
SCHEDULES = [
    ("Default", "Week", "full incr incr incr incr incr incr"),
    ("Full Every Friday", "Week", "incr incr incr incr incr full incr"),
    ("Full Every Saturday", "Week", "incr incr incr incr incr incr full"),
    ("Oracle Weekend Full", "Week", "full incr incr incr incr incr full"),
    ("Month End Archive", "Month", None),
]
FS_SCHEDULES = ["Default", "Default", "Full Every Friday", "Full Every Saturday"]
MONTHLY_SCHEDULE = "Month End Archive"

# (name, start time, interval, schedule override, kind)
GROUPS = [
    ("Default", "03:33", "24:00", "", "server"),
    ("UNIX_Daily_A", "21:00", "24:00", "", "unix"),
    ("UNIX_Daily_B", "21:30", "24:00", "", "unix"),
    ("UNIX_Daily_C", "22:15", "24:00", "", "unix"),
    ("UNIX_Daily_D", "23:00", "24:00", "", "unix"),
    ("WIN_Daily_A", "20:30", "24:00", "", "win"),
    ("WIN_Daily_B", "22:00", "24:00", "", "win"),
    ("WIN_Daily_C", "23:45", "24:00", "", "win"),
    ("WIN_Daily_D", "00:30", "24:00", "", "win"),
    ("ORA_Prod", "23:30", "24:00", "Oracle Weekend Full", "ora"),
    ("ORA_Test", "01:30", "24:00", "", "ora"),
    ("ORA_Archlogs", "00:15", "06:00", "", "ora2"),
    ("SQL_Full", "20:00", "24:00", "", "sql"),
    ("SQL_Full_Weekend", "18:00", "24:00", "Full Every Saturday", "sql"),
    ("SQL_Logs", "02:00", "04:00", "", "sql2"),
    ("SQL_Logs_Hourly", "00:05", "01:00", "", "sql2"),
    ("FS_Midday", "12:30", "12:00", "", "extra"),
    ("FS_Weekly", "19:00", "24:00", "Full Every Friday", "extra"),
    ("Archive_Monthly", "10:00", "24:00", MONTHLY_SCHEDULE, "extra"),
    ("Offsite_Weekly", "16:00", "24:00", "", "extra"),
]


def groups_of(kind):
    return [g[0] for g in GROUPS if g[4] == kind]


# (name, comment, body lines); Windows paths are doubled when quoted.
DIRECTIVES = [
    ("Unix standard directives", "",
     ["<< / >>", "+skip: core", "skip: tmp_mnt", "<< /tmp >>", "skip: .?* *"]),
    ("Unix with compression directives", "",
     ["<< / >>", "+skip: core", "skip: tmp_mnt", "+compressasm: .", "<< /tmp >>", "skip: .?* *"]),
    ("Unix encrypted directives", "AES on the data file systems",
     ["<< / >>", "+skip: core", "<< /export/data >>", "+aes: ."]),
    ("NT standard directives", "",
     ["<< / >>", "+skip: pagefile.sys hiberfil.sys", "<< C:\\Windows\\Temp >>", "skip: *.*"]),
    ("NT with compression directives", "",
     ["<< / >>", "+skip: pagefile.sys hiberfil.sys", "+compressasm: .",
      "<< C:\\Windows\\Temp >>", "skip: *.*"]),
    ("Encryption directive", "AES for every file", ["<< / >>", "+aes: ."]),
    ("NT file server encrypted", "compress, encrypt the shares",
     ["<< / >>", "+skip: pagefile.sys hiberfil.sys", "+compressasm: .", "<< D:\\Shares >>",
      "+aes: .", "skip: desktop.ini thumbs.db"]),
    ("NT Oracle directives", "placeholder, not used", None),
]
UNIX_DIRECTIVES = ["Unix standard directives", "Unix standard directives",
                   "Unix with compression directives", "Unix encrypted directives"]
WIN_DIRECTIVES = ["NT standard directives", "NT standard directives",
                  "NT with compression directives", "NT file server encrypted",
                  "Encryption directive"]

# (OS type, name prefix, share of the estate, descriptions)
OS_TYPES = [
    ("Windows NT Server on Intel", "win", 40, ["Windows Server 2008 R2", "Windows Server 2012 R2"]),
    ("Linux", "lnx", 30, ["RHEL 6", "RHEL 7", "SLES 12"]),
    ("Solaris", "sol", 12, ["Solaris 10", "Solaris 11"]),
    ("AixOS", "aix", 10, ["AIX 7.1", "AIX 6.1"]),
    ("HP-UX", "hpux", 8, ["HP-UX 11i v3"]),
]
UNIX_DIRS = ["/", "/var", "/usr", "/opt", "/home", "/export/home", "/srv/app", "/var/www",
             "/export/data/projects/engineering", "/u01/app/oracle/admin", "/data/archive",
             "/var/log/application/history", "/opt/middleware/domains/production"]
WIN_DIRS = ["C:\\", "D:\\", "E:\\", "D:\\Shares\\Finance", "D:\\Shares\\Engineering",
            "E:\\Profiles", "D:\\AppData", "F:\\Exports\\Monthly Reports",
            "C:\\Program Files\\Application Server\\config", "SYSTEM STATE:\\"]
SQL_DATABASES = ["master", "msdb", "model", "ReportDB", "Sales", "Warehouse", "Staging"]

# --- the estate -----------------------------------------------------------


class Client:
    """One host of the estate; its three resources are printed from this."""

    def __init__(self, name, os_type, description, role):
        self.name = name
        self.os_type = os_type
        self.description = description
        self.role = role            # "fs" or "db"
        self.aliases = [name, name + "." + DOMAIN]
        self.storage_nodes = ["nsrserverhost"]
        self.cpus = 4
        self.parallelism = 4


def pick_os(rng):
    roll = rng.randrange(100)
    for os_type in OS_TYPES:
        if roll < os_type[2]:
            return os_type
        roll -= os_type[2]
    return OS_TYPES[0]


def make_client(rng, index):
    os_type, prefix, _, descriptions = pick_os(rng)
    role = "db" if rng.random() < 0.35 else "fs"
    kind = {"db": "sql" if prefix == "win" else "ora", "fs": rng.choice(["fs", "app", "web"])}[role]
    client = Client("%s%s%05d" % (prefix, kind, index), os_type, rng.choice(descriptions), role)
    if rng.random() < 0.15:
        alias = "%s%05d" % (rng.choice(["build", "erp", "crm", "mail", "print"]), index)
        client.aliases += [alias, alias + "." + DOMAIN]
    client.cpus = rng.choice([2, 4, 4, 8, 16])
    client.parallelism = rng.choice([4, 4, 8])
    return client


def server_client():
    client = Client(SERVER, OS_TYPES[0][0], "Windows Server 2012 R2", "fs")
    client.aliases = [SERVER, SERVER + "." + DOMAIN]
    return client


def make_storage_nodes(rng, clients):
    """About one storage node per 500 clients: alternately a dedicated host (not a
    client) and a Unix client that also drives devices."""
    nodes = []
    unix = [c for c in clients[1:] if c.os_type != OS_TYPES[0][0]]
    for k in range(max(1, round(len(clients) / 500))):
        if k % 2 == 1 and unix:
            nodes.append(rng.choice(unix).name)
        else:
            nodes.append("snode%02d" % (k + 1))
    return nodes


def make_estate(rng, count):
    clients = [server_client()] + [make_client(rng, i) for i in range(1, count)]
    nodes = make_storage_nodes(rng, clients)
    for client in clients[1:]:
        if rng.random() < 0.6:
            client.storage_nodes = [rng.choice(nodes), "nsrserverhost"]
    return clients, nodes

# --- client resources -------------------------------------------------------


def second_group(rng, groups):
    """One group, or two in one resource out of five."""
    if rng.random() < 0.2:
        extra = rng.choice(groups_of("extra"))
        if extra not in groups:
            groups = groups + [extra]
    return groups


def fs_all(rng, client):
    windows = client.os_type == OS_TYPES[0][0]
    group = "Default" if client.name == SERVER else rng.choice(groups_of("win" if windows else "unix"))
    return {"comment": client.description + ", file systems", "save set": ["All"],
            "group": second_group(rng, [group]), "schedule": rng.choice(FS_SCHEDULES),
            "directive": rng.choice(WIN_DIRECTIVES if windows else UNIX_DIRECTIVES),
            "backup type": "Filesystem", "retention policy": rng.choice(["Month", "Year"])}


def fs_paths(rng, client, monthly):
    windows = client.os_type == OS_TYPES[0][0]
    paths = rng.sample(WIN_DIRS if windows else UNIX_DIRS, rng.randint(1, 6))
    group = "Archive_Monthly" if monthly else rng.choice(groups_of("win" if windows else "unix"))
    resource = fs_all(rng, client)
    resource.update({"save set": paths, "group": second_group(rng, [group]),
                     "backslash": rng.random() < 0.05})
    if monthly:
        resource.update({"comment": "monthly archive", "schedule": MONTHLY_SCHEDULE,
                         "retention policy": "Decade"})
    return resource


def oracle(rng, client, index):
    sid = "ORA%05d" % index
    script = "RMAN:/u01/app/oracle/admin/%s/scripts/nmo_backup.rcv" % sid
    groups = [rng.choice(groups_of("ora"))]
    if rng.random() < 0.3:
        groups.append(groups_of("ora2")[0])
    return {"comment": "Oracle 11g %s, RMAN" % sid, "save set": [script], "group": groups,
            "schedule": "Oracle Weekend Full", "directive": "", "backup type": "",
            "backup command": "nsrora_save_cmd", "remote user": "oracle", "password": "*******",
            "retention policy": "Month", "backslash": rng.random() < 0.5}


def sql_server(rng, client):
    if rng.random() < 0.6:
        save_sets = ["MSSQL$INST%02d:" % rng.randint(1, 20)]
    else:
        save_sets = ["MSSQL:" + db for db in rng.sample(SQL_DATABASES, rng.randint(2, 5))]
    return {"comment": "SQL Server 2012 databases", "save set": save_sets,
            "group": [rng.choice(groups_of("sql")), rng.choice(groups_of("sql2"))],
            "schedule": rng.choice(["Default", "Full Every Saturday"]), "directive": "",
            "backup type": "SQL Server", "backup command": "nsrsqlsv", "retention policy": "Month"}


def resources_of(rng, client, index):
    """Three resources: all file systems, a path list, then a database or an archive."""
    third = fs_paths(rng, client, monthly=True)
    if client.role == "db":
        third = sql_server(rng, client) if client.os_type == OS_TYPES[0][0] else oracle(rng, client, index)
    return [fs_all(rng, client), fs_paths(rng, client, monthly=False), third]


def save_set_value(resource):
    if resource.get("backslash"):
        return list_after_backslash(resource["save set"])
    return wrapped_list(resource["save set"])


def client_block(client, resource):
    """One NSR client resource, attribute for attribute as the server prints it."""
    r = resource.get
    lines = [
        attr("type", "NSR client"), attr("name", client.name), attr("server", SERVER),
        attr("scheduled backup", "Enabled"), attr("comment", quote(r("comment"))),
        attr("Save operations", ""), attr("schedule", quote(r("schedule"))),
        attr("browse policy", "Month"), attr("retention policy", r("retention policy")),
        attr("directive", quote(r("directive"))), attr("group", wrapped_list(r("group"))),
        attr("save set", save_set_value(resource)),
        attr("Backup renamed directories", "Disabled"), attr("Checkpoint enabled", "Disabled"),
        attr("Checkpoint granularity", "Directory"),
        attr("Parallel save streams per save set", "Disabled"), attr("priority", "500"),
        attr("remote access", ""), attr("remote user", r("remote user", "")),
        attr("password", r("password", "")), attr("backup command", r("backup command", "")),
    ]
    return "".join(lines) + FIXED_MIDDLE + client_tail(client, resource)


FIXED_MIDDLE = "".join([
    attr("Pre command", ""), attr("Post command", ""), attr("application information", ""),
    attr("ndmp vendor information", ""), attr("ndmp", "No"), attr("NDMP array name", ""),
    attr("storage replication policy name", ""), attr("Pool", ""),
    attr("Client direct", "Disabled"), attr("Probe resource name", ""),
    attr("virtual client", "No"), attr("Block based backup", "No"), attr("physical host", ""),
    attr("Proxy backup type", ""), attr("Proxy backup host", ""), attr("executable path", ""),
    attr("server network interface", ""),
])


def client_tail(client, resource):
    return "".join([
        attr("aliases", wrapped_list(client.aliases)), attr("owner notification", ""),
        attr("parallelism", str(client.parallelism)),
        attr("physical client parallelism", "Disabled"),
        attr("autoselect storage node", "Disabled"),
        attr("storage nodes", wrapped_list(client.storage_nodes)),
        attr("recover storage nodes", ""), attr("save session distribution", "max sessions"),
        attr("hard links", "Disabled"), attr("short filenames", "Disabled"),
        attr("backup type", quote(resource["backup type"])),
        attr("client OS type", client.os_type), attr("CPUs", str(client.cpus)),
        attr("NetWorker version", VERSION), attr("enabler in use", "Yes"),
        attr("licensed applications", ""), attr("licensed PSPs", ""),
    ])


def client_report(rng, clients, backed_up=None):
    """The client report; `backed_up` (a list) receives (group, client, save set) of each resource."""
    blocks = []
    for index, client in enumerate(clients):
        for resource in resources_of(rng, client, index):
            blocks.append(client_block(client, resource))
            if backed_up is not None:
                save_set = resource["save set"][0]
                backed_up.append((resource["group"][0], client.name, "/" if save_set == "All" else save_set))
    return report(blocks)


# --- save set history and media (optional) ------------------------------------

JUKEBOX = "i6000@4.0.0"


def volume_name(n):
    return "V%06dL6" % n


def library_report(media):
    return report(["".join([
        attr("type", "NSR jukebox"), attr("name", JUKEBOX), attr("comment", ""),
        attr("model", "Standard SCSI Jukebox"), attr("physical slots", "1-%d" % media),
        attr("control port", "scsidev@4.0.0"), attr("devices", wrapped_list(["/dev/rmt/0cbn", "/dev/rmt/1cbn"])),
        attr("number devices", "2"), attr("number drives", "2"), attr("enabled", "Yes"),
        attr("bar code reader", "Yes"), attr("match bar code labels", "Yes"),
        attr("STL barcodes", wrapped_list([volume_name(n) for n in range(media)])),
    ])])


def media_report(rng, media):
    lines = ["state,volume,written,percent-used,expires,read,mounts,capacity,volid,next,type"]
    for n in range(media):
        lines.append(",%s,6 GB,1%%,17/02/2027,0 KB,16,1500 GB,%d,21,LTO Ultrium-6" % (volume_name(n), 3000000000 + n))
    return "\n".join(lines) + "\n"


def job_reports(rng, backed_up, save_sets, media):
    """`save_sets` mminfo lines over two weeks, spread over the resources and media, one report per group."""
    start = datetime.datetime(2026, 11, 16, tzinfo=datetime.timezone.utc)
    by_group = {}
    for n in range(save_sets):
        group, client, save_set = backed_up[n % len(backed_up)]
        moment = start + datetime.timedelta(days=n * 14 // save_sets, seconds=rng.randint(0, 86399))
        volume = volume_name(rng.randrange(media))
        by_group.setdefault(group, []).append("%s,%s,%s,incr,%d,%d,%s,%d,%s,%s,%d,%s" % (
            group, client, save_set, int(moment.timestamp()), rng.randint(1, 10**10),
            moment.strftime("%d/%m/%Y %H:%M:%S"), rng.randint(1, 5000), volume, JUKEBOX, 3000000000, volume))
    return {"tarn_jobs_%s.txt" % g.lower(): "\n".join(lines) + "\n" for g, lines in by_group.items()}

# --- the other reports ------------------------------------------------------


def server_report(nodes):
    admins = ["group=Administrators,host=" + SERVER, "user=administrator,host=" + SERVER,
              "user=system,host=" + SERVER, "user=root,host=" + nodes[0]]
    return report(["".join([
        attr("type", "NSR"), attr("name", SERVER),
        attr("version", "NetWorker 8.2.1.0.Build.154 Network Edition/28"),
        attr("comment", quote("Synthetic backup server, Windows Server 2012 R2")),
        attr("parallelism", "32"), attr("manual saves", "Enabled"),
        attr("public archives", "Disabled"), attr("volume priority", "NearLine Priority"),
        attr("SmartMedia priority", "Disabled"), attr("jukebox polling interval", "0"),
        attr("disable RPS clone", "No"), attr("Keep incomplete backups", "Enabled"),
        attr("datazone pass phrase", "*******"),
        attr("administrator", ("\n" + " " * VALUE_COLUMN).join(
            quote(a) + ", " for a in admins)[:-2]),
        attr("contact name", "Lab Operations"), attr("company", "Lab Ltd"),
        attr("license server", ""), attr("update licenses", ""), attr("acknowledge eval", ""),
    ])])


def storage_node_block(name, registered):
    return "".join([
        attr("type", "NSR storage node"), attr("name", name), attr("comment", ""),
        attr("type of storage node", "SCSI"), attr("storage node version", VERSION),
        attr("date of registration", quote(ctime(registered))), attr("enabled", "Yes"),
        attr("ready", "Yes"), attr("device sharing mode", "server default"),
        attr("max active devices", ""), attr("search all LUNs", "No"),
        attr("use persistent names", "No"), attr("skip scsi targets", ""),
        attr("remote user", ""), attr("password", ""),
    ])


def storage_node_report(rng, nodes):
    start = datetime.datetime(2025, 3, 4, 10, 12, 55)
    blocks = [storage_node_block(SERVER, start)]
    step = max(1, 600 // len(nodes))  # all registered before the end of 2026
    for name in nodes:
        start += datetime.timedelta(days=rng.randint(1, step), seconds=rng.randint(0, 86399))
        blocks.append(storage_node_block(name, start))
    return report(blocks)


def directive_block(name, comment, body):
    text = '"' + "\n".join(line.replace("\\", "\\\\") for line in body) + '\n"' if body else ""
    return attr("type", "NSR directive") + attr("name", name) + attr("comment", quote(comment)) \
        + attr("directive", text)


def directive_report():
    return report([directive_block(*d) for d in DIRECTIVES])


def group_block(name, start, interval, schedule):
    hour, minute = (int(p) for p in start.split(":"))
    last = datetime.datetime(2026, 11, 29, hour, minute)
    return "".join([
        attr("type", "NSR group"), attr("name", name), attr("comment", ""),
        attr("autostart", "Enabled"), attr("autorestart", "Disabled"), attr("stop now", "False"),
        attr("start time", quote(start)), attr("last start", quote(ctime(last))),
        attr("interval", quote(interval)),
        attr("force incremental", "Yes" if interval != "24:00" else "No"),
        attr("restart window", quote("12:00")), attr("schedule", schedule),
        attr("schedule time", ""), attr("inactivity timeout", "30"), attr("client retries", "1"),
        attr("clones", "No"), attr("clone pool", "Default Clone"), attr("options", ""),
        attr("level", ""), attr("printer", ""), attr("success threshold", "Warning"),
        attr("savegrp parallelism", "0"),
    ])


def group_report():
    return report([group_block(*g[:4]) for g in GROUPS])


def monthly_action():
    """31 day actions after a lone backslash, one week per line, the last ending ';'."""
    days = ["skip"] * 31
    days[20], days[27] = "9", "full"
    weeks = [" ".join(days[i:i + 7]) for i in range(0, 31, 7)]
    return "\\\n" + "\n".join(weeks)


def schedule_report():
    blocks = []
    for name, period, action in SCHEDULES:
        blocks.append("".join([
            attr("type", "NSR schedule"), attr("name", name), attr("comment", ""),
            attr("period", period), attr("action", action or monthly_action()),
            attr("override", ""),
        ]))
    return report(blocks)


LOCALE_CONFIG = ("\nHKEY_CURRENT_USER\\Control Panel\\International\n"
                 "    sShortDate    REG_SZ    dd/MM/yyyy\n\n")

# --- main -------------------------------------------------------------------


def write(directory, name, text):
    with open(os.path.join(directory, name), "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def generate(count, out, seed, save_sets=0, media=0):
    rng = random.Random(seed)
    clients, nodes = make_estate(rng, count)
    os.makedirs(out, exist_ok=True)
    write(out, "tarn_server.txt", server_report(nodes))
    write(out, "tarn_storagenode.txt", storage_node_report(rng, nodes))
    write(out, "tarn_directive.txt", directive_report())
    write(out, "tarn_group.txt", group_report())
    write(out, "tarn_schedule.txt", schedule_report())
    write(out, "tarn_nwk_localeconfig.txt", LOCALE_CONFIG)
    backed_up = []
    write(out, "tarn_client.txt", client_report(rng, clients, backed_up))
    if save_sets:
        write(out, "tarn_libraries.txt", library_report(max(media, 1)))
        write(out, "tarn_mediainfo.txt", media_report(rng, max(media, 1)))
        write(out, "tarn_jobs.txt", "")
        for name, text in job_reports(rng, backed_up, save_sets, max(media, 1)).items():
            write(out, name, text)
    return len(clients) * 3


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--clients", type=int, required=True, help="number of clients (>= 1)")
    parser.add_argument("--out", required=True, help="dataset directory to write")
    parser.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    parser.add_argument("--save-sets", type=int, default=0,
                        help="also write this many save sets of history over two weeks (default 0)")
    parser.add_argument("--media", type=int, default=0, help="media in one jukebox holding that history")
    args = parser.parse_args(argv)
    if args.clients < 1:
        parser.error("--clients must be at least 1")
    try:
        resources = generate(args.clients, args.out, args.seed, args.save_sets, args.media)
    except OSError as error:
        print("gen-estate: cannot write %s: %s" % (args.out, error), file=sys.stderr)
        return 1
    print("gen-estate: %d clients, %d resources in %s" % (args.clients, resources, args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
