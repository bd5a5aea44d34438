# fish completion for tessik-cli
# SPDX-License-Identifier: MIT

function __tessik_cli_apps
    set -l root
    set -l words (commandline -opc)
    set -l index (contains -i -- --system-root $words)
    and set root --system-root $words[(math $index + 1)]
    $words[1] $root apps 2>/dev/null | cut -f2
end

set -l commands apps associate extensions formats get help reports restore set snapshots type update-catalog why
complete -c tessik-cli -f
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -l system-root -r -F -d "The emulated machine to use"
complete -c tessik-cli -l language -x -a "zh en fr de es ja ko" -d "The language of messages"
complete -c tessik-cli -s h -l help -d "Show help"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -l version -d "Show the version"

complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a apps -d "List the installed applications"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a associate -d "Record a custom association"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a extensions -d "Extensions of a content type"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a formats -d "Print the format catalog"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a get -d "Current default application"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a help -d "Help of a command"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a reports -d "Failure reports"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a restore -d "Put back a snapshot"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a set -d "Make an application the default"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a snapshots -d "Saved snapshots"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a type -d "Content type of an extension"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a update-catalog -d "Check for a newer catalog"
complete -c tessik-cli -n "not __fish_seen_subcommand_from $commands" -a why -d "Why an application is the default"

complete -c tessik-cli -n "__fish_seen_subcommand_from help" -a "$commands"
complete -c tessik-cli -n "__fish_seen_subcommand_from apps formats extensions type get set restore reports snapshots" -l json -d "Print JSON"
complete -c tessik-cli -n "__fish_seen_subcommand_from apps" -l for -r -F -d "Applications that open a target"
complete -c tessik-cli -n "__fish_seen_subcommand_from associate" -l type -x -d "A content type"
complete -c tessik-cli -n "__fish_seen_subcommand_from associate" -l extension -x -d "An extension"
complete -c tessik-cli -n "__fish_seen_subcommand_from get set" -l role -x -a "viewer editor shell all" -d "The role"
complete -c tessik-cli -n "__fish_seen_subcommand_from set restore" -l yes -d "Answer the question yes"
complete -c tessik-cli -n "__fish_seen_subcommand_from set restore" -l wait -x -d "Seconds to check"
complete -c tessik-cli -n "__fish_seen_subcommand_from restore" -l last -d "The newest snapshot"
complete -c tessik-cli -n "__fish_seen_subcommand_from reports" -l show -x -d "Print one report"
complete -c tessik-cli -n "__fish_seen_subcommand_from formats update-catalog" -l server-url -x -d "The update service"
complete -c tessik-cli -n "__fish_seen_subcommand_from update-catalog" -l force -d "Ignore the intervals"
complete -c tessik-cli -n "__fish_seen_subcommand_from why" -l role -x -a "viewer editor shell all" -d "The role"
complete -c tessik-cli -n "__fish_seen_subcommand_from why" -l json -d "Print JSON"
complete -c tessik-cli -n "__fish_seen_subcommand_from why" -F
complete -c tessik-cli -n "__fish_seen_subcommand_from get set type extensions" -F
complete -c tessik-cli -n "__fish_seen_subcommand_from set associate" -a "(__tessik_cli_apps)" -d "Application"
